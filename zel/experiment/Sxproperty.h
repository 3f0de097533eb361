// The experiment records stored as data-set properties, and the accessors through which
// the program reads and writes properties.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include "platform/tabrix/SXDataSet.h"
#include "platform/base/FileDates.h"

#pragma pack(push, 1)
// Property "DateTime": the moment a run's data set was made.
struct TSXDateTime {
    std::uint16_t Year;  // full year
    std::uint8_t Month;  // 1..12
    std::uint8_t Day;    // 1..31
    std::uint8_t Hour;   // 0..23
    std::uint8_t Minute;
    std::uint8_t Second;
    std::uint8_t MSec;  // low 8 bits of the milliseconds
};

// Property "ZelExperimentInfo": five 50-byte texts of the experiment description.
struct TZelExperimentInfo {
    char UserName[SXFixedTextSize];
    char CompoundName[SXFixedTextSize];
    char Substrate[SXFixedTextSize];
    char Subphase[SXFixedTextSize];
    char Temperature[SXFixedTextSize];
};
#pragma pack(pop)
static_assert(sizeof(TSXDateTime) == 8, "DateTime is stored as 8 bytes");
static_assert(sizeof(TZelExperimentInfo) == 250, "ZelExperimentInfo is stored as 250 bytes");

// Property names of an experiment's data set.
inline constexpr const char* PropDateTime = "DateTime";
inline constexpr const char* PropExperimentInfo = "ZelExperimentInfo";
inline constexpr const char* PropExperimentInfoStr = "ZelExperimentInfoStr";
// The one table category of the program.
inline constexpr const char* ZelTableCategory = "ZelTable";

// The record of a local date and time; only the low 8 bits of the milliseconds are kept.
TSXDateTime MakeSXDateTime(const TLocalDateTime& Value);
// "%d/%d/%d %d:%02d" with day, month, year, hour, minute.
std::string DateTimeText(const TSXDateTime& Value);

// Typed view of a fixed-size property. A property stored shorter than T (a foreign or
// damaged file) is never read past its end: it counts as missing, or is widened with
// zeros when the view may create.
template <class T>
class TSXPropertyRef {
public:
    TSXPropertyRef(ISXDataProperties* Owner, const std::string& Name, bool Create) : Owner(Owner), Name(Name)
    {
        if (!Owner || Name.empty()) {
            this->Owner = nullptr;
            return;
        }
        Property = Owner->FindProperty(Name.c_str());
        if (!Property.IsAssigned() && Create) Property = Owner->AddProperty(Name.c_str(), sizeof(T));
        if (!Property.IsAssigned()) return;
        if (Property->GetSize() < static_cast<int>(sizeof(T))) {
            if (!Create) return;
            Property->SetSize(sizeof(T));
        }
        Data = reinterpret_cast<T*>(Property->GetData());
    }
    TSXPropertyRef(const TSXPropertyRef&) = delete;
    TSXPropertyRef& operator=(const TSXPropertyRef&) = delete;

    T* Get() const { return Data; }

    ISXDataProperties* Owner = nullptr;
    std::string Name;
    IH<ISXDataProperty> Property;
    T* Data = nullptr;
};

// Untyped view of a variable-size property; never creates on construction.
template <class T>
class TSXPropertyA {
public:
    TSXPropertyA(ISXDataProperties* Owner, const std::string& Name) : Owner(Owner), Name(Name)
    {
        if (!Owner || Name.empty()) {
            this->Owner = nullptr;
            return;
        }
        Property = Owner->FindProperty(Name.c_str());
        if (Property.IsAssigned()) {
            Data = reinterpret_cast<T*>(Property->GetData());
            Size = Property->GetSize();
        }
    }
    TSXPropertyA(const TSXPropertyA&) = delete;
    TSXPropertyA& operator=(const TSXPropertyA&) = delete;

    T* GetData() const { return Data; }

    // The text up to its zero byte, never beyond the property's bytes.
    std::string AsString() const
    {
        if (!Data || Size <= 0) return {};
        const char* Bytes = reinterpret_cast<const char*>(Data);
        const void* Zero = std::memchr(Bytes, 0, static_cast<size_t>(Size));
        return std::string(Bytes, Zero ? static_cast<const char*>(Zero) - Bytes : Size);
    }

    // Makes the property exactly NewSize bytes long (adding it when missing) and copies
    // them from Bytes. Without an owner nothing can be stored.
    void SetData(const void* Bytes, std::int32_t NewSize)
    {
        if (NewSize < 0) return;
        if (Data && Size != NewSize) {
            Property->SetSize(NewSize);
            Data = reinterpret_cast<T*>(Property->GetData());
        } else if (!Data && Owner) {
            Property = Owner->AddProperty(Name.c_str(), NewSize);
            if (Property.IsAssigned()) Data = reinterpret_cast<T*>(Property->GetData());
        }
        Size = Data ? NewSize : 0;
        if (Data && NewSize > 0) std::memcpy(Data, Bytes, static_cast<size_t>(NewSize));
    }

    ISXDataProperties* Owner = nullptr;
    std::string Name;
    IH<ISXDataProperty> Property;
    T* Data = nullptr;
    std::int32_t Size = 0;
};

// A text property stored with its terminating zero byte.
class TSXPropertyStr : public TSXPropertyA<char> {
public:
    using TSXPropertyA<char>::TSXPropertyA;
    void SetText(const std::string& Text) { SetData(Text.c_str(), static_cast<std::int32_t>(Text.size() + 1)); }

    std::string Separator = "=";
    std::string LineEnd = "\n";
};
