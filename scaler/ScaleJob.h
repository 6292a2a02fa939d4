#pragma once
// What the scaler does once its window's timer fires: choose the master,
// scale it, write "bitmap7_rsc.bmp" and compose the result line. Portable.

#include <string>

#include "scaler/ScalerFiles.h"

namespace scaler {

struct ScalerInput {
    std::wstring inputName;  // empty when the settings folder is unknown
    int scale = 0;           // percent of the chosen master; 0 = not given
};

// Below 150 % the 100 % master at the given scale; otherwise the 150 %
// master at the scale divided by 1.5 (truncated: 200 becomes 133).
ScalerInput ChooseInput(const std::wstring& settingsFolder, int givenScale);

// The input name without ".bmp" and without a "_100" ending its file name,
// followed by "_rsc.bmp"; empty (no output name) when the name does not end
// in ".bmp".
std::wstring OutputNameFor(const std::wstring& inputName);

// "<output> OK. size=<scale>" or "<output> error=<n>. size=<scale>".
std::wstring ResultLine(const std::wstring& outputName, int error, int scale);

struct ScaleResult {
    int error = 0;
    int scale = 0;  // the scale used: 0 is taken as 150
    std::wstring outputName;
    std::wstring line;
};

// Loads inputName, scales it by `scale` percent both ways and puts the
// 24-bit result at the output name. The new file is written beside it under
// a temporary name and then replaces it, so the recorder never loads a half
// written skin. On any failure no output file is left: neither the partial
// one nor a stale one from an earlier scale, which the recorder would take
// for the current one.
ScaleResult RunScale(ScalerFiles& files, const std::wstring& inputName, int scale);

}  // namespace scaler
