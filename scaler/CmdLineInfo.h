#pragma once
// The scaler's command line: at most four parameters are kept, and the scale
// is the number after the first switch containing "sz" (the recorder passes
// " -sz %d"). Portable; the program shows the "too many" notices.
//
// The recorder has a CmdLineInfo of its own; the namespace keeps the two
// apart should one binary ever hold both.

#include <functional>

#include "framework/ui/CommandLineInfo.h"

namespace scaler {

class CmdLineInfo : public CCommandLineInfo {
public:
    static constexpr int kMaxParams = 4;
    static constexpr int kParamCapacity = 100;  // characters, with the terminating zero

    struct Param {
        wchar_t text[kParamCapacity] = {};
        bool isSwitch = false;
        bool isLast = false;
    };

    // tooMany is called for each parameter past the fourth with its index
    // (counted from 0, so the fifth parameter is 4).
    explicit CmdLineInfo(std::function<void(int index)> tooMany = {}) : m_tooMany(std::move(tooMany)) {}

    // Longer texts are cut to kParamCapacity - 1 characters.
    void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) override;

    int Count() const { return m_count; }
    int Stored() const { return m_count < kMaxParams ? m_count : kMaxParams; }
    const Param& At(int i) const { return m_params[i]; }

    // The scale in percent; 0 when not given.
    int Scale() const;

private:
    Param m_params[kMaxParams];
    int m_count = 0;
    std::function<void(int)> m_tooMany;
};

}  // namespace scaler
