// SPDX-License-Identifier: GPL-3.0-or-later
// vanta-module-sim: the ignition module on a pseudo-terminal, for tests and for trying
// the tuner without hardware. See docs/module-link.md.
#include "module_model.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace {

using kv::sim::Faults;
using kv::sim::ModuleModel;
using Micros = long long;

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) {
    g_stop = 1;
}

Micros nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Micros>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

struct Options {
    std::string firmwareId = "VANTA 8.1 RACE";
    std::vector<std::uint8_t> image;
    std::string linkPath;
    std::string logPath;
    bool pace = true;
    long baud = 56000;
    Faults faults;
};

const char* const kUsage =
    "usage: vanta-module-sim [--id TEXT] [--image HEX78 | --image-file FILE]\n"
    "         [--link PATH] [--log FILE|-] [--no-pace] [--baud N]\n"
    "         [--fault FAULT]...\n"
    "faults: no-reply no-echo garbage no-terminator bad-address-ack\n"
    "        no-ack=N bad-ack=N bad-read=N (image byte N) noisy-read=N (Nth read,\n"
    "        once) noise=N (each reply byte spoilt, chance N in 1000) stop-after=N\n"
    "        delay=MS\n";

int usage(const char* why) {
    if (why) std::fprintf(stderr, "vanta-module-sim: %s\n", why);
    std::fputs(kUsage, stderr);
    return 2;
}

// A plausible table: advance rising with speed, Low above WOT, default parameters.
std::vector<std::uint8_t> defaultImage() {
    std::vector<std::uint8_t> image(ModuleModel::kImageSize, 0);
    for (int p = 0; p < 16; ++p) {
        const double wot = std::min(32.0, 2.5 * p);
        const double low = std::min(38.0, wot + 4.0);
        image[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(wot / 0.17578 + 0.5);
        image[static_cast<std::size_t>(16 + p)] = static_cast<std::uint8_t>(low / 0.17578 + 0.5);
    }
    const std::uint8_t tail[] = {28, 28, 0, 2, 20, 0x08, 57};
    std::copy(std::begin(tail), std::end(tail), image.begin() + 32);
    return image;
}

bool parseArgs(int argc, char** argv, Options& o, const char*& why) {
    o.image = defaultImage();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--no-pace") {
            o.pace = false;
            continue;
        }
        if (!hasValue) return why = "missing value", false;
        const std::string v = argv[++i];
        if (a == "--id") {
            o.firmwareId = v;
        } else if (a == "--image" || a == "--image-file") {
            std::string text = v;
            if (a == "--image-file") {
                std::ifstream in(v);
                if (!in) return why = "cannot read the image file", false;
                text.assign(std::istreambuf_iterator<char>(in), {});
            }
            const auto bytes = kv::sim::parseHex(text);
            if (!bytes || bytes->size() != ModuleModel::kImageSize)
                return why = "the image must be 78 hexadecimal digits", false;
            o.image = *bytes;
        } else if (a == "--link") {
            o.linkPath = v;
        } else if (a == "--log") {
            o.logPath = v;
        } else if (a == "--baud") {
            o.baud = std::strtol(v.c_str(), nullptr, 10);
            if (o.baud < 300 || o.baud > 4000000) return why = "bad baud rate", false;
        } else if (a == "--fault") {
            if (!kv::sim::parseFault(v, o.faults)) return why = "unknown fault", false;
        } else {
            return why = "unknown option", false;
        }
    }
    return true;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    char buf[3];
    for (const auto b : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        s += buf;
    }
    return s;
}

struct Pending {
    Micros due;
    std::uint8_t byte;
};

class Simulator {
public:
    Simulator(const Options& o, int master)
        : m_options(o), m_master(master), m_model(o.firmwareId, o.faults),
          m_byteUs(o.pace ? 10'000'000LL / o.baud : 0), m_start(nowUs()) {
        m_model.setImage(o.image);
        if (!o.logPath.empty())
            m_log = o.logPath == "-" ? stderr : std::fopen(o.logPath.c_str(), "w");
    }
    ~Simulator() {
        if (m_log && m_log != stderr) std::fclose(m_log);
    }

    void run() {
        while (!g_stop) {
            pollfd pfd{m_master, POLLIN, 0};
            timespec timeout{};
            timespec* t = nullptr;
            if (!m_queue.empty()) {
                // A sleep ends late by the time the CPU takes to wake, which a line does
                // not have: the emulator sleeps until just before the byte's moment and
                // waits out the last few microseconds awake (with pacing only).
                const Micros due = m_queue.front().due;
                if (m_byteUs > 0 && due - nowUs() <= kAwakeUs) {
                    while (nowUs() < due) {
                    }
                    transmitDue();
                    continue;
                }
                const Micros wait = std::max<Micros>(0, due - nowUs() - kAwakeUs);
                timeout.tv_sec = static_cast<time_t>(wait / 1000000);
                timeout.tv_nsec = static_cast<long>(wait % 1000000) * 1000;
                t = &timeout;
            }
            const int r = ppoll(&pfd, 1, t, nullptr);
            if (r < 0 && errno != EINTR) break;
            if (r > 0 && (pfd.revents & POLLIN)) receive();
            transmitDue();
        }
    }

    [[nodiscard]] std::vector<std::uint8_t> image() const { return m_model.image(); }

private:
    void receive() {
        std::uint8_t buf[512];
        const ssize_t n = read(m_master, buf, sizeof buf);
        if (n <= 0) return;
        const Micros t = nowUs();
        for (ssize_t i = 0; i < n; ++i) {
            log(t, "rx", buf[i]);
            // The byte is the module's only once its last bit has crossed the line.
            m_rxLineFree = std::max(m_rxLineFree, t) + m_byteUs;
            const auto reply = m_model.receive(buf[i]);
            Micros due = std::max(m_rxLineFree + m_options.faults.delayMs * 1000LL, m_txLineFree);
            for (const auto b : reply) {
                due += m_byteUs;
                m_queue.push_back({due, b});
            }
            if (!reply.empty()) m_txLineFree = due;
        }
    }

    void transmitDue() {
        while (!m_queue.empty() && m_queue.front().due <= nowUs()) {
            const std::uint8_t b = m_queue.front().byte;
            m_queue.pop_front();
            // Stamped before the write: a busy machine may suspend the emulator right
            // after it, and a late stamp would make the tuner's pauses look short.
            const Micros t = nowUs();
            if (write(m_master, &b, 1) == 1) log(t, "tx", b);
        }
    }

    void log(Micros t, const char* dir, std::uint8_t b) {
        if (!m_log) return;
        std::fprintf(m_log, "%lld %s %02x\n", t - m_start, dir, b);
        std::fflush(m_log);
    }

    static constexpr Micros kAwakeUs = 120;

    const Options& m_options;
    int m_master;
    ModuleModel m_model;
    Micros m_byteUs;
    Micros m_start;
    Micros m_rxLineFree = 0;
    Micros m_txLineFree = 0;
    std::deque<Pending> m_queue;
    std::FILE* m_log = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    Options options;
    const char* why = nullptr;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("vanta-module-sim: a module emulator on a pseudo-terminal; it prints the\n"
                    "terminal's path and answers the module's commands until killed.\n%s",
                    kUsage);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vanta-module-sim %s\n", KV_VERSION);
        return 0;
    }
    if (!parseArgs(argc, argv, options, why)) return usage(why);
#if defined(__linux__)
    // Pacing wants wake-ups to the microsecond, and an orphaned module helps nobody.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM, 0, 0, 0);
#endif
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("vanta-module-sim: pseudo-terminal");
        return 1;
    }
    const std::string device = ptsname(master);
    // Holding the far end open keeps the terminal alive while the tuner closes and
    // reopens the port between exchanges.
    const int slave = open(device.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    if (slave < 0 || tcgetattr(slave, &tio) != 0) {
        std::perror("vanta-module-sim: terminal settings");
        return 1;
    }
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);

    if (!options.linkPath.empty()) {
        struct stat st {};
        if (lstat(options.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            unlink(options.linkPath.c_str());
        if (symlink(device.c_str(), options.linkPath.c_str()) != 0) {
            std::perror("vanta-module-sim: link");
            return 1;
        }
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);

    Simulator sim(options, master);
    std::printf("%s\n", device.c_str());
    if (!options.linkPath.empty()) std::printf("link %s\n", options.linkPath.c_str());
    std::printf("id %s\nimage %s\npace %s\nready\n", options.firmwareId.c_str(),
                hex(options.image).c_str(),
                options.pace ? std::to_string(options.baud).c_str() : "off");
    std::fflush(stdout);

    sim.run();

    std::printf("final %s\n", hex(sim.image()).c_str());
    std::fflush(stdout);
    if (!options.linkPath.empty()) unlink(options.linkPath.c_str());
    close(slave);
    close(master);
    return 0;
}
