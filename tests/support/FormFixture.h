#pragma once

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/ui/Forms.h"

// A bare form, loaded and placed on the screen, for tests of controls placed on it.
struct TFormFixture : ::testing::Test {
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->Name = "TestForm";
        Form->SetBounds(50, 50, 400, 300);
        Form->EndLoading();
    }
    void TearDown() override { FreeForm(Form); }
    TForm* Form = nullptr;
};
