// Objects that copy their settings from another of their kind. Assign from an object of
// another class (or from nothing) raises EAssignError naming the class that refused it.
#pragma once
#include <stdexcept>
#include <string>
#include "platform/base/Types.h"

class EAssignError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPersistent : public TObject {
public:
    virtual void Assign(const TPersistent* Source) = 0;

protected:
    // The refusal every Assign raises for a source it cannot copy.
    [[noreturn]] static void AssignError(const std::string& ClassName)
    {
        throw EAssignError("Can'not assign to " + ClassName);
    }
};
