#pragma once

#include <string>
#include <vector>

// A step's arguments, split at its colons and checked against the step's
// table entry before the step runs.
struct StepArgs {
    std::vector<std::wstring> words; // after the step's name
    std::vector<long long> numbers;  // the words as numbers, for the steps that take them
    std::wstring text;               // all after the first colon, for type

    long long Number(size_t index, long long fallback) const {
        return index < numbers.size() ? numbers[index] : fallback;
    }
};

// One line for each step, for the usage text.
std::string StepsUsage();
