#include "winetest/wineloopback/PulseWatch.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "framework/base/ComPtr.h"
#include "framework/win/Handles.h"
#include "winetest/linuxshell/LinuxShell.h"

namespace pulse_watch {

namespace {

// What PulseAudio has at one moment.
struct Snapshot {
    std::string defaultSink, defaultSource;
    std::set<std::string> sinks, sources;
};

// One pactl run through the shell: the server's defaults and both device
// lists, marked so that the parts can be told apart.
// A pactl run takes some milliseconds; one that hangs must not hold the poll.
constexpr DWORD kShellTimeoutMs = 3000;

const char kScript[] = "pactl info; echo @sinks; pactl list short sinks; echo @sources; pactl list short sources";

bool ReadSnapshot(Snapshot& out) {
    std::string text;
    if (!RunLinuxShell(kScript, text, kShellTimeoutMs)) return false;
    std::istringstream lines(text);
    std::string line;
    int part = 0;  // 0 info, 1 sinks, 2 sources
    bool sawInfo = false;
    Snapshot s;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "@sinks") {
            part = 1;
            continue;
        }
        if (line == "@sources") {
            part = 2;
            continue;
        }
        if (part == 0) {
            const std::string sink = "Default Sink: ", source = "Default Source: ";
            if (line.rfind(sink, 0) == 0) s.defaultSink = line.substr(sink.size());
            if (line.rfind(source, 0) == 0) s.defaultSource = line.substr(source.size());
            sawInfo |= line.rfind("Server Name: ", 0) == 0;
            continue;
        }
        // "index<TAB>name<TAB>driver<TAB>spec<TAB>state"
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const size_t end = line.find('\t', tab + 1);
        (part == 1 ? s.sinks : s.sources).insert(line.substr(tab + 1, end == std::string::npos ? end : end - tab - 1));
    }
    if (!sawInfo || part != 2) return false;
    // "@DEFAULT_SINK@" when there is none.
    if (!s.sinks.count(s.defaultSink)) s.defaultSink.clear();
    if (!s.sources.count(s.defaultSource)) s.defaultSource.clear();
    out = std::move(s);
    return true;
}

// Wine's record of its PulseAudio endpoints: a key "<flow>,<pulse name>"
// (0 render, 1 capture) with the endpoint's GUID.
const wchar_t kWineDevices[] = L"Software\\Wine\\Drivers\\winepulse.drv\\devices";

std::wstring GuidText(const GUID& guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

// The GUID part of one of Wine's endpoint ids, "{0.0.F.00000000}.{GUID}".
std::wstring IdGuid(const std::wstring& id) {
    const size_t dot = id.find(L"}.");
    return dot == std::wstring::npos ? std::wstring() : id.substr(dot + 2);
}

std::wstring IdOfGuid(const std::wstring& guid, bool render) {
    return (render ? L"{0.0.0.00000000}." : L"{0.0.1.00000000}.") + guid;
}

// Every endpoint Wine knows: (render, pulse name, GUID text).
struct WineEndpoint {
    bool render;
    std::string pulseName;
    std::wstring guid;
};

std::vector<WineEndpoint> WineEndpoints() {
    std::vector<WineEndpoint> out;
    win::RegKey devices;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kWineDevices, 0, KEY_READ | KEY_WOW64_64KEY, devices.Put()) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD chars = 512;
        if (::RegEnumKeyExW(devices.Get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (chars < 3 || name[1] != L',' || (name[0] != L'0' && name[0] != L'1')) continue;
        GUID guid{};
        DWORD bytes = sizeof guid;
        if (::RegGetValueW(devices.Get(), name, L"guid", RRF_RT_REG_BINARY, nullptr, &guid, &bytes) != ERROR_SUCCESS ||
            bytes != sizeof guid)
            continue;
        std::string pulse;
        for (const wchar_t* p = name + 2; *p; ++p) pulse.push_back(static_cast<char>(*p));
        out.push_back({name[0] == L'0', pulse, GuidText(guid)});
    }
    return out;
}

std::wstring EndpointIdOf(bool render, const std::string& pulseName) {
    for (const WineEndpoint& e : WineEndpoints())
        if (e.render == render && e.pulseName == pulseName) return IdOfGuid(e.guid, render);
    return {};
}

struct Watched {
    bool sink;
    std::string name;
    std::weak_ptr<std::atomic<bool>> flag;
};

// Wine's own winmm registers a client with whatever enumerator the class id
// gives. Wine's own enumerator never tells it anything, and winmm 8 answers a
// default change by moving its wave mapper streams to the new default, which
// it then fails to open (WAVERR_BADFORMAT): the program's sound would end
// there, as it never does on this platform. Its client hears nothing here.
bool IsWinesOwnClient(IMMNotificationClient* client) {
    HMODULE module = nullptr;
    const void* table = *reinterpret_cast<void* const*>(client);
    const HMODULE winmm = ::GetModuleHandleW(L"winmm.dll");
    return winmm &&
           ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                static_cast<LPCWSTR>(table), &module) &&
           module == winmm;
}

class Watcher {
public:
    static Watcher& Get() {
        // Never destroyed: its thread runs for the life of the process.
        static Watcher* watcher = new Watcher;
        return *watcher;
    }

    // PulseAudio's state, read afresh unless a reading is younger than a
    // poll (an opening asks several times in a row).
    bool Now(Snapshot& s, bool fresh = false) {
        std::lock_guard<std::mutex> lock(m_readLock);
        const DWORD now = ::GetTickCount();
        if (!fresh && m_haveRead && now - m_readAt < kPollMs / 2) {
            s = m_read;
            return true;
        }
        if (!ReadSnapshot(m_read)) return m_haveRead = false;
        m_haveRead = true;
        m_readAt = now;
        s = m_read;
        return true;
    }

    // The loop's last reading, if it is fresh; never read here.
    bool Last(Snapshot& s) {
        std::lock_guard<std::mutex> lock(m_readLock);
        if (!m_haveRead || ::GetTickCount() - m_readAt > 3 * kPollMs) return false;
        s = m_read;
        return true;
    }

    // Whether the sink or source `name` is missing from a kept reading (the
    // loop's last one when `lastOnly`, which is never read here; else one
    // younger than half a poll) and then from a fresh one: a device loaded a
    // moment ago may be missing from a kept reading.
    bool Gone(bool sink, const std::string& name, bool lastOnly) {
        Snapshot s;
        auto absent = [&] { return !(sink ? s.sinks : s.sources).count(name); };
        return (lastOnly ? Last(s) : Now(s)) && absent() && Now(s, true) && absent();
    }

    LostFlag Watch(bool sink, const std::string& name) {
        auto flag = std::make_shared<std::atomic<bool>>(false);
        if (Gone(sink, name, false)) *flag = true;
        std::lock_guard<std::mutex> lock(m_lock);
        m_watched.push_back({sink, name, flag});
        StartLocked();
        return flag;
    }

    HRESULT Register(IMMNotificationClient* client) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (IsWinesOwnClient(client)) {
            m_quietClients.emplace_back(client);
            return S_OK;
        }
        m_clients.emplace_back(client);
        StartLocked();
        return S_OK;
    }

    HRESULT Unregister(IMMNotificationClient* client) {
        std::lock_guard<std::mutex> lock(m_lock);
        auto quiet = std::find_if(m_quietClients.begin(), m_quietClients.end(),
                                  [&](const ComPtr<IMMNotificationClient>& c) { return c.Get() == client; });
        if (quiet != m_quietClients.end()) {
            m_quietClients.erase(quiet);
            return S_OK;
        }
        auto it = std::find_if(m_clients.begin(), m_clients.end(),
                               [&](const ComPtr<IMMNotificationClient>& c) { return c.Get() == client; });
        if (it == m_clients.end()) return E_NOTFOUND;
        m_clients.erase(it);
        return S_OK;
    }

    void SetWineDefaults(const std::wstring& render, const std::wstring& capture) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_wineDefaultRender = render;
        m_wineDefaultCapture = capture;
    }

private:
    void StartLocked() {
        if (m_started) return;
        m_started = true;
        // The thread runs this module's code until the process ends.
        HMODULE self = nullptr;
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                             reinterpret_cast<LPCWSTR>(&kWineDevices), &self);
        std::thread([this] { Loop(); }).detach();
    }

    void Loop() {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        Snapshot last;
        bool haveLast = false;
        for (;;) {
            if (Idle()) {
                // Nothing here to tell: no poll, and no stale changes later.
                haveLast = false;
                ::Sleep(kPollMs);
                continue;
            }
            Snapshot now;
            if (Now(now, true)) {
                MarkLost(now);
                if (haveLast) Notify(last, now);
                last = std::move(now);
                haveLast = true;
            }
            ::Sleep(kPollMs);
        }
    }

    bool Idle() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_watched.erase(
            std::remove_if(m_watched.begin(), m_watched.end(), [](const Watched& w) { return w.flag.expired(); }),
            m_watched.end());
        return m_watched.empty() && m_clients.empty();
    }

    void MarkLost(const Snapshot& now) {
        std::lock_guard<std::mutex> lock(m_lock);
        auto gone = std::remove_if(m_watched.begin(), m_watched.end(), [&](const Watched& w) {
            auto flag = w.flag.lock();
            if (!flag) return true;
            if ((w.sink ? now.sinks : now.sources).count(w.name)) return false;
            *flag = true;
            return true;
        });
        m_watched.erase(gone, m_watched.end());
    }

    void Notify(const Snapshot& before, const Snapshot& now) {
        std::vector<ComPtr<IMMNotificationClient>> clients;
        std::wstring wineRender, wineCapture;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            clients = m_clients;
            wineRender = m_wineDefaultRender;
            wineCapture = m_wineDefaultCapture;
        }
        if (clients.empty()) return;
        auto each = [&](auto&& call) {
            for (auto& c : clients) call(c.Get());
        };
        for (bool render : {true, false}) {
            const auto& was = render ? before.sinks : before.sources;
            const auto& is = render ? now.sinks : now.sources;
            for (const std::string& name : was)
                if (!is.count(name)) {
                    const std::wstring id = EndpointIdOf(render, name);
                    if (!id.empty()) each([&](IMMNotificationClient* c) { c->OnDeviceRemoved(id.c_str()); });
                }
            for (const std::string& name : is)
                if (!was.count(name)) {
                    const std::wstring id = EndpointIdOf(render, name);
                    if (!id.empty()) each([&](IMMNotificationClient* c) { c->OnDeviceAdded(id.c_str()); });
                }
            const std::string& oldDefault = render ? before.defaultSink : before.defaultSource;
            const std::string& newDefault = render ? now.defaultSink : now.defaultSource;
            // PulseAudio is without a default for a moment while it picks
            // another. Windows would name no device (a null id), which Wine's
            // own winmm, a client in every process, cannot take: the change
            // is told when the new default is there.
            if (oldDefault == newDefault || newDefault.empty()) continue;
            std::wstring id = EndpointIdOf(render, newDefault);
            if (id.empty()) id = render ? wineRender : wineCapture;
            if (id.empty()) continue;
            const EDataFlow flow = render ? eRender : eCapture;
            for (ERole role : {eConsole, eMultimedia, eCommunications})
                each([&](IMMNotificationClient* c) { c->OnDefaultDeviceChanged(flow, role, id.c_str()); });
        }
    }

    std::mutex m_readLock;  // guards the last reading
    Snapshot m_read;
    bool m_haveRead = false;
    DWORD m_readAt = 0;
    std::mutex m_lock;  // guards everything below
    bool m_started = false;
    std::vector<Watched> m_watched;
    std::vector<ComPtr<IMMNotificationClient>> m_clients;
    std::vector<ComPtr<IMMNotificationClient>> m_quietClients;  // Wine's own: told nothing
    std::wstring m_wineDefaultRender, m_wineDefaultCapture;
};

}  // namespace

std::string DeviceOf(const std::wstring& endpointId, bool render, bool wineDefault) {
    if (wineDefault) {
        Snapshot now;
        if (!Watcher::Get().Now(now)) return {};
        return render ? now.defaultSink : now.defaultSource;
    }
    const std::wstring guid = IdGuid(endpointId);
    for (const WineEndpoint& e : WineEndpoints())
        if (e.render == render && ::CompareStringOrdinal(e.guid.c_str(), -1, guid.c_str(), -1, TRUE) == CSTR_EQUAL)
            return e.pulseName;
    return {};
}

bool LastDefaultSink(std::string& sink) {
    Snapshot last;
    if (!Watcher::Get().Last(last) || last.defaultSink.empty()) return false;
    sink = last.defaultSink;
    return true;
}

bool SeenGone(bool sink, const std::string& name) { return Watcher::Get().Gone(sink, name, true); }

std::wstring EndpointOf(bool render, const std::string& pulseName) { return EndpointIdOf(render, pulseName); }

void SetWineDefaults(const std::wstring& renderId, const std::wstring& captureId) {
    Watcher::Get().SetWineDefaults(renderId, captureId);
}

LostFlag Watch(bool sink, const std::string& device) { return Watcher::Get().Watch(sink, device); }

HRESULT Register(IMMNotificationClient* client) {
    if (!client) return E_POINTER;
    return Watcher::Get().Register(client);
}

HRESULT Unregister(IMMNotificationClient* client) {
    if (!client) return E_POINTER;
    return Watcher::Get().Unregister(client);
}

}  // namespace pulse_watch
