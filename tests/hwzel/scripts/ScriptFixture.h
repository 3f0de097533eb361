// A script window for the link's tests: it answers the link's questions through real
// window messages (conversions multiply the user value by ten, the cycle question
// follows a list of answers), copies what each notice carries while it handles it, and
// keeps the notices of a script as a readable trace.
#pragma once
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>
#include "../LinkFixture.h"

class ScriptFixture : public LinkFixture {
protected:
    void SetUp() override
    {
        Notes.Answer = [this](std::uint32_t Code, LPARAM Payload) { return Handle(Code, Payload); };
    }

    // One entry per posted script notice: the code and what it carries ("102 3",
    // "192 text", "196 12.5"); device reports are left out.
    std::vector<std::string> Trace;
    // The questions the link sent and waited for ("104 2", "1005 1.5"), in their own
    // order: a sent question may overtake notices posted before it.
    std::vector<std::string> Questions;
    // Copies of the prognosis record, one per notice 199.
    std::vector<TScriptPrognosisStatus> Steps;
    TScriptPrognosisStatus* Record = nullptr;
    // Answers to the cycle question, in order; 0 once they run out.
    std::deque<LRESULT> RepeatAnswers;
    std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
    // Milliseconds since the fixture began, at each notice 198.
    std::vector<long> PauseTimes;

    void RunScript(const TScriptStrings& Lines) { ASSERT_TRUE(Link->RunScript(&Lines)); }
    // Scripts ended so far (notice 101).
    std::size_t Finished = 0;
    bool WaitFinished(unsigned TimeoutMs = 10000, std::size_t Count = 1)
    {
        return Application->ProcessMessagesUntil([&] { return Finished >= Count; }, TimeoutMs);
    }
    bool WaitTrace(const std::string& Entry, unsigned TimeoutMs = ConditionWaitMs)
    {
        return Application->ProcessMessagesUntil(
            [&] {
                for (const std::string& E : Trace)
                    if (E == Entry) return true;
                return false;
            },
            TimeoutMs);
    }

    // Waits, answering the link's questions meanwhile, until the emulator has logged
    // Count frames.
    bool WaitFrames(std::size_t Count, unsigned TimeoutMs = ConditionWaitMs)
    {
        return Application->ProcessMessagesUntil([&] { return Emulator->Frames().size() >= Count; }, TimeoutMs);
    }

    // The payloads the emulator received, in order ("03 07 0000000F").
    std::vector<std::string> Payloads() const
    {
        std::vector<std::string> R;
        for (const std::string& F : FrameTexts()) {
            const std::size_t End = F.find('$');
            if (F.size() > 4 && End != std::string::npos) R.push_back(F.substr(4, End - 4));
        }
        return R;
    }
    // The same once the emulator has logged Count frames (its log trails the link).
    std::vector<std::string> Payloads(std::size_t Count)
    {
        WaitFrames(Count);
        return Payloads();
    }

    // The wire form of an address for "CalcScriptPrognosis=".
    static std::string AddressText(const void* Address)
    {
        char Text[32];
        std::snprintf(Text, sizeof Text, "%016llX",
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(Address)));
        return Text;
    }

    static std::string Number(double Value)
    {
        char Text[32];
        std::snprintf(Text, sizeof Text, "%g", Value);
        return Text;
    }

private:
    LRESULT Handle(std::uint32_t Code, LPARAM Payload)
    {
        const void* P = reinterpret_cast<const void*>(Payload);
        const std::string C = std::to_string(Code);
        if (Code >= 1000) {
            const double Value = *static_cast<const double*>(P);
            Questions.push_back(C + " " + Number(Value));
            return static_cast<LRESULT>(Value * 10);
        }
        switch (Code) {
        case hlnErrorText:
        case hlnScriptStatus:
        case hlnScriptLabel:
        case hlnScriptInfo:
            Trace.push_back(C + " " + static_cast<const char*>(P));
            return 0;
        case hlnScriptDipperHeight:
        case hlnScriptPlateArea:
            Trace.push_back(C + " " + Number(*static_cast<const double*>(P)));
            return 0;
        case hlnScriptPrognosis:
            // Sent in a dry run, posted in a real one: counted apart from both.
            if (Record) Steps.push_back(*Record);
            return 0;
        case hlnScriptPause:
            PauseTimes.push_back(static_cast<long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Started)
                    .count()));
            Trace.push_back(C + " " + std::to_string(static_cast<long long>(Payload)));
            return 0;
        case hlnRepeatContinue: {
            Questions.push_back(C + " " + std::to_string(static_cast<long long>(Payload)));
            if (RepeatAnswers.empty()) return 0;
            const LRESULT Answer = RepeatAnswers.front();
            RepeatAnswers.pop_front();
            return Answer;
        }
        default:
            if (Code == hlnScriptFinished) ++Finished;
            if (Code >= 100 && Code < 200) Trace.push_back(C + " " + std::to_string(static_cast<long long>(Payload)));
            return 0;
        }
    }
};

// The notices that open and close every script.
inline std::vector<std::string> ScriptTrace(std::vector<std::string> Body)
{
    std::vector<std::string> R = {"100 0", "103 Script running!"};
    R.insert(R.end(), Body.begin(), Body.end());
    R.push_back("103 Script finished!");
    R.push_back("101 0");
    return R;
}
