// The repair of a large killed recording (640 x 480 RGB24 pictures at
// 10 fps and PCM sound, written by the ASF writer stand-in's muxer, its last
// packet cut short) against a plain sequential read of the same file in
// 1 MB blocks, both from the page cache ("cached") and with the file's pages
// dropped before each iteration ("disk"). The repair's counter vs_read is
// its time divided by the read's in the same mode.
//
// The file is written once into the temporary folder (TMPDIR, else /tmp),
// TELVANE_REPAIR_BENCH_MB megabytes of it (1024 unless set), and removed at
// the end. Each repair iteration starts from the killed file again: its
// header and its cut packet are put back untimed.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "recovery/PosixRepairFiles.h"
#include "recovery/RecordingRepair.h"
#include "winetest/asfwriter/AsfMuxer.h"

namespace {

constexpr int64_t kSecond = 10000000;
constexpr int kWidth = 640, kHeight = 480;
constexpr size_t kTornBytes = 12345;

struct BenchFile {
    std::string path;
    uint64_t length = 0;
    std::vector<uint8_t> head;  // header and data object head as the killed writer left them
    uint64_t tailAt = 0;
    std::vector<uint8_t> tail;  // the cut packet
} g_file;

double g_readSeconds[2] = {0, 0};

class FileOutput final : public AsfOutput {
public:
    explicit FileOutput(const std::string& path) : m_file(std::fopen(path.c_str(), "w+b")) {}
    ~FileOutput() override {
        if (m_file) std::fclose(m_file);
    }
    bool Append(const uint8_t* data, size_t size) override {
        return m_file && std::fwrite(data, 1, size, m_file) == size;
    }
    bool WriteAt(uint64_t, const uint8_t*, size_t) override { return false; }  // the killed writer never gets there

private:
    std::FILE* m_file;
};

bool WriteKilledRecording(uint64_t bytes) {
    const char* tmp = std::getenv("TMPDIR");
    g_file.path =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/telvane_repair_bench_" + std::to_string(::getpid()) + ".wmv";
    AsfFileInfo info;
    info.prerollMs = AsfMuxer::kDefaultPrerollMs;
    info.packetSize = AsfMuxer::kDefaultPacketSize;
    AsfStreamInfo audio, video;
    audio.audio = {1, 2, 44100, 176400, 4, 16};
    video.kind = AsfStreamKind::Video;
    video.number = 2;
    video.video = {kWidth, kHeight, 24, 0, kWidth * kHeight * 3};
    info.streams = {audio, video};
    {
        FileOutput out(g_file.path);
        AsfMuxer mux(info, out, false);
        if (!mux.Begin()) return false;
        std::vector<uint8_t> frame(kWidth * kHeight * 3), pcm(1764);
        int64_t audioAt = 0, videoAt = 0;
        for (uint64_t written = 0; written < bytes;) {
            if (audioAt <= videoAt) {
                if (!mux.Write(0, AsfSample{pcm.data(), pcm.size(), true, audioAt, audioAt + kSecond / 100, false}))
                    return false;
                audioAt += kSecond / 100;
                written += pcm.size();
            } else {
                frame[static_cast<size_t>(videoAt / 1000) % frame.size()] ^= 0xFF;
                if (!mux.Write(1, AsfSample{frame.data(), frame.size(), true, videoAt, videoAt + kSecond / 10, false}))
                    return false;
                videoAt += kSecond / 10;
                written += frame.size();
            }
        }
        std::vector<uint8_t> torn(kTornBytes, 0x82);
        if (!out.Append(torn.data(), torn.size())) return false;
    }
    recovery::PosixRepairFiles files;
    auto file = files.Open(std::filesystem::path(g_file.path).wstring());
    uint8_t size[8];
    if (!file || !file->Size(g_file.length) || !file->ReadAt(16, size, sizeof size)) return false;
    uint64_t headerSize = 0;
    for (int i = 7; i >= 0; --i) headerSize = headerSize << 8 | size[i];
    g_file.head.resize(static_cast<size_t>(headerSize + 50));
    g_file.tailAt = g_file.length - kTornBytes;
    g_file.tail.resize(kTornBytes);
    return file->ReadAt(0, g_file.head.data(), g_file.head.size()) &&
           file->ReadAt(g_file.tailAt, g_file.tail.data(), g_file.tail.size()) && file->Flush();
}

bool DropCachedPages() {
    const int fd = ::open(g_file.path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok;
}

bool PutBackKilledFile() {
    recovery::PosixRepairFiles files;
    auto file = files.Open(std::filesystem::path(g_file.path).wstring());
    return file && file->WriteAt(0, g_file.head.data(), g_file.head.size()) && file->Truncate(g_file.tailAt) &&
           file->WriteAt(g_file.tailAt, g_file.tail.data(), g_file.tail.size()) && file->Flush();
}

// state.range(0): 0 from the page cache, 1 from the disk.
void BM_SequentialRead(benchmark::State& state) {
    const bool disk = state.range(0) != 0;
    std::vector<uint8_t> block(1 << 20);
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (disk && !DropCachedPages()) state.SkipWithError("cannot drop the file's pages");
        const int fd = ::open(g_file.path.c_str(), O_RDONLY);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        uint64_t total = 0;
        for (ssize_t n; (n = ::read(fd, block.data(), block.size())) > 0;) total += static_cast<uint64_t>(n);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ::close(fd);
        if (total != g_file.length) state.SkipWithError("short read");
        benchmark::DoNotOptimize(block.data());
    }
    g_readSeconds[disk] = seconds / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_file.length));
}

void BM_Repair(benchmark::State& state) {
    const bool disk = state.range(0) != 0;
    recovery::PosixRepairFiles files;
    const std::wstring path = std::filesystem::path(g_file.path).wstring();
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!PutBackKilledFile() || (disk && !DropCachedPages())) state.SkipWithError("cannot put the file back");
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const recovery::RepairResult r = recovery::RepairRecording(files, path);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (r.outcome != recovery::RepairOutcome::Repaired || r.tornBytes != kTornBytes)
            state.SkipWithError("the recording was not repaired");
        state.counters["packets"] = static_cast<double>(r.packets);
        state.counters["recording_s"] = static_cast<double>(r.duration) / kSecond;
    }
    const double perIteration = seconds / static_cast<double>(state.iterations());
    if (g_readSeconds[disk] > 0) state.counters["vs_read"] = perIteration / g_readSeconds[disk];
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * g_file.length));
}

BENCHMARK(BM_SequentialRead)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Repair)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const char* mb = std::getenv("TELVANE_REPAIR_BENCH_MB");
    const uint64_t bytes = (mb && *mb ? std::strtoull(mb, nullptr, 10) : 1024) << 20;
    const bool made = WriteKilledRecording(bytes);
    if (made) {
        std::printf("%s: %llu bytes, %zu of them a cut packet\n", g_file.path.c_str(),
                    static_cast<unsigned long long>(g_file.length), kTornBytes);
        benchmark::RunSpecifiedBenchmarks();
    } else {
        std::fprintf(stderr, "recovery_bench: cannot write %s\n", g_file.path.c_str());
    }
    std::filesystem::remove(g_file.path);
    std::filesystem::remove(g_file.path + ".repair");
    benchmark::Shutdown();
    return made ? 0 : 1;
}
