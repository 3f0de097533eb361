// From a command line to payloads: the readers of the value that follows a word, and
// the encoding of one line of a word into the payloads it sends. Nothing here touches
// the port or the program: conversion requests go through the function the caller
// gives, so the same code serves the sender thread and anyone who needs the bytes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "hwzel/ZelCommandTable.h"

// Asks the program for the device value of a user value (conversion code, address of
// the double holding the user value). The answer is taken as it comes.
using TConversionRequest = std::function<std::int32_t(std::uint32_t Code, double* Value)>;

// The value text of a line: for a setter right after its "=", for any other word after
// the word and one separator. Case is kept; a trailing "\r" of a script file is dropped.
std::string GetValueText(const std::string& Line, int Position, const std::string& Word);

// Hexadecimal device value (capped at FFFFFFFF, "-" negates modulo 2^32, reading stops at
// the first non-hex character). Only an empty text fails.
bool ReadHexValue(const std::string& Text, std::uint32_t& Value);
// Decimal 32-bit integer; fails on anything else.
bool ReadIntegerValue(const std::string& Text, std::int32_t& Value);
// Decimal number ("." or ","); fails on empty text and on anything that is not a number.
bool ReadNumberValue(const std::string& Text, double& Value);

// Code 0: hexadecimal into the device value, the double untouched. Other codes: the
// double becomes the number of the text and the device value the program's answer to
// the conversion request. False when the text does not read.
bool ConvertValue(const std::string& Text, std::uint32_t Code, double& Value, std::int32_t& DeviceValue,
                  const TConversionRequest& Request);

// The four values of "CLBCoeff=": eight characters each at fixed places, the first after
// the word and one separator, each next one nine further on. False when one is missing.
bool ReadClbCoeffValues(const std::string& Line, int Position, const std::string& Word, std::uint32_t Values[4]);

// The prognosis record's address: at least 8 characters of text, read in hexadecimal
// (up to 16 digits, a full address). False when the text is too short or the number
// does not fit an address.
bool ReadRecordAddress(const std::string& Text, std::uintptr_t& Address);

// What one line of a word sends. Payloads are built whether or not the line will be
// carried out; the sender decides what goes out.
struct TWordEncoding {
    bool Read = false;          // the value read (always true for words without a value)
    bool DecodeError = false;   // the value did not read: the decode notice is due
    bool TypeMismatch = false;  // "CLBCoeff=" lacked a value: the type-mismatch notice is due too
    double Value = 0;           // the number of a script value (0 for hex and for failures)
    int Count = 0;              // payloads built
    char Payloads[2][48] = {};
    int Lengths[2] = {};
};

// Reads the line's value in the word's form (script values through Request) and builds
// its payloads. Words whose packets depend on more than the line (MoveDipperToCell) and
// statements build none.
TWordEncoding EncodeWordLine(const TZelWord& Word, const std::string& Line, int Position, bool Script,
                             const TConversionRequest& Request);
