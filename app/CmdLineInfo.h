#pragma once
// The recorder's command line: the parameter table the framework fills and
// the launcher values read from it. The launcher (kq.exe) passes each value
// as a switch followed by the number, e.g. "/w1 1920 /w2 1280".

#include "framework/ui/CommandLineInfo.h"

class CmdLineInfo : public CCommandLineInfo {
public:
    static constexpr int kMaxParams = 20;
    static constexpr int kParamCapacity = 100;  // characters, with the terminating zero

    struct Param {
        wchar_t text[kParamCapacity] = {};
        int isSwitch = 0;
        int isLast = 0;
    };

    // Stores the first kMaxParams parameters; longer texts are cut to
    // kParamCapacity - 1 characters. The count keeps growing past the table.
    void ParseParam(const wchar_t* param, bool isSwitch, bool isLast) override;

    int Count() const { return m_count; }
    // The stored entries: min(Count(), kMaxParams).
    int Stored() const { return m_count < kMaxParams ? m_count : kMaxParams; }
    const Param& At(int i) const { return m_params[i]; }

private:
    Param m_params[kMaxParams];
    int m_count = 0;
};

// What the launcher told us; all 0 when absent.
struct LauncherValues {
    int x1 = 0;  // primary display width, physical pixels
    int y1 = 0;  // primary display height
    int x2 = 0;  // accepted, unused
    int y2 = 0;
    int w1 = 0;  // physical width of display 1
    int w2 = 0;  // physical width of display 2
    bool installer = false;
};

// Reads the switches "installer", "x1", "y1", "x2", "y2", "w1", "w2" (exact,
// case-sensitive); a value is the decimal number at the start of the next
// stored parameter, 0 when there is none or it is not a number.
LauncherValues ReadLauncherValues(const CmdLineInfo& info);
