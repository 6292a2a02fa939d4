#include "scaler/ScaleJob.h"

#include <cwchar>

#include "scaler/BitmapEx.h"

namespace scaler {
namespace {

constexpr wchar_t kExtension[] = L".bmp";
constexpr size_t kExtensionLength = 4;
constexpr wchar_t kMasterSuffix[] = L"_100";
constexpr size_t kMasterSuffixLength = 4;

bool EndsWith(const std::wstring& text, const wchar_t* tail, size_t tailLength) {
    return text.size() >= tailLength && text.compare(text.size() - tailLength, tailLength, tail) == 0;
}

}  // namespace

ScalerInput ChooseInput(const std::wstring& settingsFolder, int givenScale) {
    ScalerInput input;
    const bool master100 = givenScale < 150;
    input.scale = master100 ? givenScale : static_cast<int>(givenScale / 1.5);
    if (!settingsFolder.empty())
        input.inputName = settingsFolder + (master100 ? L"\\bitmap7_100.bmp" : L"\\bitmap7.bmp");
    return input;
}

std::wstring OutputNameFor(const std::wstring& inputName) {
    if (!EndsWith(inputName, kExtension, kExtensionLength)) return std::wstring();
    std::wstring base = inputName.substr(0, inputName.size() - kExtensionLength);
    // Only at the end of the file name: a folder called "x_100" stays intact.
    if (EndsWith(base, kMasterSuffix, kMasterSuffixLength)) base.resize(base.size() - kMasterSuffixLength);
    return base + L"_rsc.bmp";
}

std::wstring ResultLine(const std::wstring& outputName, int error, int scale) {
    wchar_t tail[64];
    if (error == kNoError)
        std::swprintf(tail, 64, L" OK. size=%d", scale);
    else
        std::swprintf(tail, 64, L" error=%d. size=%d", error, scale);
    return outputName + tail;
}

ScaleResult RunScale(ScalerFiles& files, const std::wstring& inputName, int scale) {
    ScaleResult result;
    result.scale = scale == 0 ? 150 : scale;
    result.outputName = OutputNameFor(inputName);
    const std::wstring temp = result.outputName + L".tmp";  // used only with an output name
    bool tempCreated = false;

    result.error = [&]() -> int {
        if (inputName.empty()) return kNoInputName;
        std::vector<uint8_t> bytes;
        switch (files.ReadWhole(inputName, bytes)) {
            case ReadResult::Ok:
                break;
            case ReadResult::CannotOpen:
                return kCannotOpenInput;
            case ReadResult::TooLarge:
                return kBadBitmap;
        }
        CBitmapEx bitmap;
        if (int error = bitmap.LoadFromBytes(bytes); error != kNoError) return error;
        if (result.outputName.empty()) return kNoOutputName;
        if (!files.CreateEmpty(temp)) return kCannotWriteOutput;
        tempCreated = true;
        if (int error = bitmap.Scale(result.scale, result.scale); error != kNoError) return error;
        if (!files.WriteWhole(temp, bitmap.SaveToBytes()) || !files.Replace(temp, result.outputName))
            return kCannotWriteOutput;
        tempCreated = false;
        return kNoError;
    }();

    if (tempCreated) files.Remove(temp);
    if (result.error != kNoError && !result.outputName.empty()) files.Remove(result.outputName);
    result.line = ResultLine(result.outputName, result.error, result.scale);
    return result;
}

}  // namespace scaler
