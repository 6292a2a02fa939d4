// The companions the recorder finds beside itself, under Wine: the restore
// helper qrrestore.exe, the filter registration batch file registerw.bat and
// the generated artwork (splash, icons, skin bitmaps).

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/win/Handles.h"
#include "tests/wine/driver/Driver.h"

namespace {

constexpr wchar_t kHelperTitle[] = L"QrRestore";

std::wstring Helper() { return driver::ProductFolder() + L"qrrestore.exe"; }

UINT ScreenCaptureMessage() { return ::RegisterWindowMessageW(L"screen capture message"); }

// A hidden top-level window of the test process with a given title, standing
// in for the window the helper watches. Other processes read its title from
// the window manager, so this thread need not pump messages for them.
class TitledWindow {
public:
    explicit TitledWindow(const wchar_t* title) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CompanionsTestWatched";
        ::RegisterClassW(&wc);  // fails harmlessly when already registered
        m_hwnd = ::CreateWindowExW(0, wc.lpszClassName, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                   nullptr);
    }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    ~TitledWindow() { Destroy(); }
    HWND Get() const { return m_hwnd; }
    void Destroy() {
        if (m_hwnd) ::DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }

private:
    HWND m_hwnd = nullptr;
};

// The helper's record of the last notification: LOWORD wParam, HIWORD lParam.
LONG_PTR LastPair(HWND helper) { return ::GetWindowLongPtrW(helper, GWLP_USERDATA); }

bool Stays(driver::Program& program, DWORD ms) { return !program.WaitForExit(ms); }

}  // namespace

TEST(QrRestore, HiddenWindowAcceptsTheNotificationsAndEndsWithTheWatchedWindow) {
    TitledWindow watched(L"Some Title");
    ASSERT_NE(watched.Get(), nullptr);
    ASSERT_EQ(driver::FindTopWindow(kHelperTitle), nullptr) << "a restore helper is left over from before";

    driver::Program helper = driver::Program::Start(Helper(), L"-w \"Some Title\"");
    ASSERT_TRUE(helper) << std::string(helper.Error().begin(), helper.Error().end());
    HWND window = driver::WaitForWindow(kHelperTitle, 10000, helper.Id());
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(driver::GetText(window), L"QrRestore");
    EXPECT_EQ(LastPair(window), 0);

    // The recorder's "run" notification is accepted with 1.
    DWORD_PTR result = 0;
    ASSERT_NE(::SendMessageTimeoutW(window, ScreenCaptureMessage(), 8, 7, SMTO_ABORTIFHUNG, 2000, &result), 0);
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(LastPair(window), MAKELONG(8, 7));

    // Posted, as the recorder does it.
    ASSERT_TRUE(driver::PostRegisteredMessage(window, L"screen capture message", 7, 8));
    EXPECT_TRUE(driver::PollUntil(2000, [&] { return LastPair(window) == MAKELONG(7, 8); }));
    ASSERT_NE(::SendMessageTimeoutW(window, ScreenCaptureMessage(), 7, 7, SMTO_ABORTIFHUNG, 2000, &result), 0);
    EXPECT_EQ(result, 1u);
    EXPECT_EQ(LastPair(window), MAKELONG(7, 7));

    // A second copy ends at once and leaves the first alone.
    driver::Program second = driver::Program::Start(Helper(), L"-w \"Some Title\"");
    ASSERT_TRUE(second);
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(5000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(driver::FindTopWindow(kHelperTitle, second.Id()), nullptr);
    EXPECT_TRUE(helper.IsRunning());
    EXPECT_EQ(driver::FindTopWindow(kHelperTitle), window);

    // Past its first-sight grace period it stays while the watched window does.
    EXPECT_TRUE(Stays(helper, 6000));
    EXPECT_EQ(driver::FindTopWindow(kHelperTitle), window);

    watched.Destroy();
    const ULONGLONG before = ::GetTickCount64();
    code = 99;
    ASSERT_TRUE(helper.WaitForExit(2500, &code));
    std::printf("helper ended %llu ms after the watched window\n", ::GetTickCount64() - before);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(driver::FindTopWindow(kHelperTitle), nullptr);
}

TEST(QrRestore, WatchesTelvaneWithoutArguments) {
    TitledWindow recorder(L"Telvane");
    ASSERT_NE(recorder.Get(), nullptr);
    driver::Program helper = driver::Program::Start(Helper(), L"");
    ASSERT_TRUE(helper);
    ASSERT_NE(driver::WaitForWindow(kHelperTitle, 10000, helper.Id()), nullptr);
    EXPECT_TRUE(Stays(helper, 6000));
    recorder.Destroy();
    DWORD code = 99;
    ASSERT_TRUE(helper.WaitForExit(2500, &code));
    EXPECT_EQ(code, 0u);
}

TEST(QrRestore, EndsAfterAGracePeriodWhenTheWatchedTitleNeverAppears) {
    // Same letters, other case: the title must match exactly.
    TitledWindow almost(L"some title");
    ASSERT_NE(almost.Get(), nullptr);
    const ULONGLONG started = ::GetTickCount64();
    driver::Program helper = driver::Program::Start(Helper(), L"-w \"Some Title\"");
    ASSERT_TRUE(helper);
    ASSERT_NE(driver::WaitForWindow(kHelperTitle, 10000, helper.Id()), nullptr);
    DWORD code = 99;
    ASSERT_TRUE(helper.WaitForExit(15000, &code));
    const ULONGLONG took = ::GetTickCount64() - started;
    std::printf("helper without its window ended after %llu ms\n", took);
    EXPECT_GE(took, 4500u);
    EXPECT_EQ(code, 0u);
}

namespace {

// A fresh folder under the temporary folder, emptied and removed again when
// the test ends.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH];
        DWORD n = ::GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp, n) + name;
        Clear();
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { Clear(); }
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        win::FindHandle find(::FindFirstFileW((m_path + L"\\*").c_str(), &data));
        if (!find) return names;
        do {
            std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (::FindNextFileW(find.Get(), &data));
        return names;
    }

private:
    void Clear() {
        for (const std::wstring& name : Names()) ::DeleteFileW(File(name).c_str());
        ::RemoveDirectoryW(m_path.c_str());
    }
    std::wstring m_path;
};

bool CopyInto(const std::wstring& from, const ScratchFolder& folder, const wchar_t* name) {
    return ::CopyFileW(from.c_str(), folder.File(name).c_str(), FALSE) != 0;
}

// Runs "cmd /c <command>" in `workDir` and returns its exit code (or 999).
DWORD RunCmd(const std::wstring& command, const std::wstring& workDir) {
    driver::Program cmd = driver::Program::Start(L"cmd.exe", L"/c " + command, workDir);
    if (!cmd) return 999;
    DWORD code = 999;
    if (!cmd.WaitForExit(30000, &code)) return 999;
    return code;
}

std::wstring ReadUtf16File(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    if (!driver::ReadFileBytes(path, &bytes)) return L"<missing>";
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

std::wstring FakeFilter() { return driver::ProgramFolder() + L"registerw_fake\\sonark5.ax"; }

}  // namespace

TEST(RegisterW, WithoutFilterFilesRegistersNothingAndSucceeds) {
    ScratchFolder folder(L"registerw empty");
    ASSERT_TRUE(CopyInto(driver::ProductFolder() + L"registerw.bat", folder, L"registerw.bat"));
    EXPECT_EQ(RunCmd(L"registerw.bat", folder.Path()), 0u);
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"registerw.bat"});
}

TEST(RegisterW, RegistersTheFilterBesideItFromItsOwnFolder) {
    ScratchFolder folder(L"registerw with filter");
    ASSERT_TRUE(CopyInto(driver::ProductFolder() + L"registerw.bat", folder, L"registerw.bat"));
    ASSERT_TRUE(CopyInto(FakeFilter(), folder, L"sonark5.ax"));
    EXPECT_EQ(RunCmd(L"registerw.bat", folder.Path()), 0u);
    EXPECT_EQ(ReadUtf16File(folder.File(L"registered.txt")), folder.File(L"sonark5.ax"));
}

TEST(RegisterW, FindsItsFilterWhenStartedFromAnotherFolder) {
    ScratchFolder folder(L"registerw elsewhere");
    ASSERT_TRUE(CopyInto(driver::ProductFolder() + L"registerw.bat", folder, L"registerw.bat"));
    ASSERT_TRUE(CopyInto(FakeFilter(), folder, L"sonark5.ax"));
    EXPECT_EQ(RunCmd(L"\"" + folder.File(L"registerw.bat") + L"\"", driver::ProgramFolder()), 0u);
    EXPECT_EQ(ReadUtf16File(folder.File(L"registered.txt")), folder.File(L"sonark5.ax"));
}

TEST(RegisterW, ReportsAFilterThatFailsToRegister) {
    ScratchFolder folder(L"registerw failing");
    ASSERT_TRUE(CopyInto(driver::ProductFolder() + L"registerw.bat", folder, L"registerw.bat"));
    ASSERT_TRUE(CopyInto(FakeFilter(), folder, L"sonark5.ax"));
    ASSERT_TRUE(driver::WriteFileBytes(folder.File(L"fail.txt"), {'x'}));
    EXPECT_EQ(RunCmd(L"registerw.bat", folder.Path()), 1u);
    EXPECT_FALSE(driver::FileExists(folder.File(L"registered.txt")));
}

TEST(RegisterW, IsCrlfText) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(driver::ReadFileBytes(driver::ProductFolder() + L"registerw.bat", &bytes));
    ASSERT_FALSE(bytes.empty());
    size_t lines = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n') continue;
        ++lines;
        EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare line feed at byte " << i;
    }
    EXPECT_GT(lines, 5u);
    EXPECT_EQ(bytes.back(), '\n');
}

namespace {

// The build's artwork folder as this process sees it: the host path under
// drive Z:, which the prefix maps to the host's root.
std::wstring ArtFolder() {
    std::wstring path = L"Z:";
    for (const char* p = TELVANE_ART_DIR_HOST; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path + L"\\";
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

// A plain 24-bit, bottom-up, uncompressed BMP of exactly width x height that
// LoadImage reads with the same size.
void ExpectBmp(const std::wstring& path, int width, int height) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    std::vector<uint8_t> b;
    ASSERT_TRUE(driver::ReadFileBytes(path, &b));
    ASSERT_GE(b.size(), 54u);
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());  // file size
    EXPECT_EQ(U32(b, 10), 54u);      // pixels right after the headers
    EXPECT_EQ(U32(b, 14), 40u);      // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<int32_t>(U32(b, 18)), width);
    EXPECT_EQ(static_cast<int32_t>(U32(b, 22)), height);  // positive: bottom-up
    EXPECT_EQ(U16(b, 26), 1u);                            // planes
    EXPECT_EQ(U16(b, 28), 24u);                           // bits per pixel
    EXPECT_EQ(U32(b, 30), static_cast<uint32_t>(BI_RGB));
    EXPECT_EQ(U32(b, 46), 0u);  // no palette
    EXPECT_EQ(b.size(), 54u + stride * static_cast<uint32_t>(height));

    win::Bitmap loaded(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    ASSERT_TRUE(loaded);
    BITMAP info{};
    ASSERT_EQ(::GetObjectW(loaded.Get(), sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, width);
    EXPECT_EQ(info.bmHeight, height);
    EXPECT_EQ(info.bmBitsPixel, 24);
}

// An icon file holding exactly the 48, 32 and 16 pixel images, each of which
// LoadImage picks at its size.
void ExpectIcon(const std::wstring& path) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    std::vector<uint8_t> b;
    ASSERT_TRUE(driver::ReadFileBytes(path, &b));
    ASSERT_GE(b.size(), 6u);
    EXPECT_EQ(U16(b, 0), 0u);
    EXPECT_EQ(U16(b, 2), 1u);  // icon, not cursor
    ASSERT_EQ(U16(b, 4), 3u);
    ASSERT_GE(b.size(), 6u + 3 * 16);
    std::vector<int> sizes;
    for (int i = 0; i < 3; ++i) {
        const size_t entry = 6 + 16 * static_cast<size_t>(i);
        EXPECT_EQ(b[entry], b[entry + 1]);
        sizes.push_back(b[entry]);
        EXPECT_LE(static_cast<uint64_t>(U32(b, entry + 12)) + U32(b, entry + 8), b.size());
    }
    EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16}));
    for (int size : {16, 32, 48}) {
        win::Icon icon(
            static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
        ASSERT_TRUE(icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon.Get(), &info));
        win::Bitmap color(info.hbmColor);
        win::Bitmap mask(info.hbmMask);
        BITMAP bm{};
        ASSERT_TRUE(::GetObjectW(color ? color.Get() : mask.Get(), sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, size);
    }
}

}  // namespace

TEST(Artwork, BitmapsHaveTheirSizes) {
    const std::wstring art = ArtFolder();
    ExpectBmp(art + L"splash.bmp", 425, 159);
    ExpectBmp(art + L"bitmap7_100.bmp", 250, 30);
    ExpectBmp(art + L"bitmap7.bmp", 375, 45);
    ExpectBmp(art + L"top_close.bmp", 13, 13);
    ExpectBmp(art + L"top_mini.bmp", 13, 13);
    ExpectBmp(art + L"resize.bmp", 96, 96);
}

TEST(Artwork, IconsHoldThreeSizes) {
    ExpectIcon(ArtFolder() + L"telvane.ico");
    ExpectIcon(ArtFolder() + L"size.ico");
}

TEST(Artwork, SkinMastersAreInTheProgramFolder) {
    for (const wchar_t* name : {L"bitmap7.bmp", L"bitmap7_100.bmp"}) {
        std::vector<uint8_t> generated, installed;
        ASSERT_TRUE(driver::ReadFileBytes(ArtFolder() + name, &generated));
        ASSERT_TRUE(driver::ReadFileBytes(driver::ProductFolder() + name, &installed));
        EXPECT_TRUE(generated == installed) << std::string(name, name + wcslen(name));
    }
}
