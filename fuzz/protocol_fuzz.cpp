// SPDX-License-Identifier: GPL-3.0-or-later
// The module exchanges against a module that answers with the fuzzer's bytes: how many
// bytes come back for each byte sent, how late, and what the user answers at a prompt.
#include "base/errors.h"
#include "fuzz_support.h"
#include "link/eeprom_image.h"
#include "link/protocol.h"
#include "scripted_module.h"
#include "support/test_files.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace kv;

// Prompts answered from the input, the error prompt with any of its three buttons. A
// user gives up in the end: after a few prompts every answer is the cancelling one.
class FuzzedDialogs : public Dialogs {
public:
    explicit FuzzedDialogs(FuzzedDataProvider& in) : m_in(in) {}
    Button message(const std::string&, const std::string&, Buttons buttons, Icon) override {
        if (++m_prompts > 12 || m_in.remaining_bytes() == 0) return cancellingAnswer(buttons);
        switch (buttons) {
        case Buttons::AbortRetryIgnore: {
            const Button b = m_in.PickValueInArray({Button::Abort, Button::Retry, Button::Ignore});
            ignored = ignored || b == Button::Ignore;
            return b;
        }
        case Buttons::YesNoCancel:
            return m_in.PickValueInArray({Button::Yes, Button::No, Button::Cancel});
        case Buttons::YesNo:
            return m_in.PickValueInArray({Button::Yes, Button::No});
        case Buttons::OKCancel:
            return m_in.PickValueInArray({Button::OK, Button::Cancel});
        case Buttons::RetryCancel:
            return m_in.PickValueInArray({Button::Retry, Button::Cancel});
        case Buttons::OK:
            break;
        }
        return Button::OK;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
    std::string openFile(const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&) override { return {}; }

    bool ignored = false;

private:
    FuzzedDataProvider& m_in;
    int m_prompts = 0;
};

// The tests' scripted host, answering prompts from the input and refusing the first few
// openings of the port as a missing port does.
class FuzzedHost : public test::ScriptedHost {
public:
    explicit FuzzedHost(FuzzedDataProvider& in) : fuzzed(in) {}
    Dialogs& dialogs() override { return fuzzed; }
    void open() override {
        if (openFailures > 0) {
            --openFailures;
            throw KvError(kErrCommOrOpen, "Comm Error", "Com1 does not exist.");
        }
        ScriptedHost::open();
    }
    FuzzedDialogs fuzzed;
    int openFailures = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzedHost host(in);
    FuzzedDialogs& dialogs = host.fuzzed;
    host.openFailures = in.ConsumeIntegralInRange(0, 2);
    host.respond = [&in](std::uint8_t) {
        test::Reply r;
        if (in.remaining_bytes() == 0) return r; // a module gone quiet
        const std::uint8_t shape = in.ConsumeIntegral<std::uint8_t>();
        const std::size_t count = shape & 3u;
        r.after = std::chrono::milliseconds((shape >> 2) * 40); // up to 2.5 s: timeouts too
        r.bytes = in.ConsumeBytes<std::uint8_t>(count);
        return r;
    };
    ProgramState& s = host.state();
    const int routine = in.ConsumeIntegralInRange(0, 3);
    switch (routine) {
    case 0:
        ReadFirmwareID(host);
        if (s.CommOKFlag) (void)tableTypeOf(s.FirmwareID);
        // Whatever was ignored, the identification did not come through.
        if (dialogs.ignored) fuzz::check(!s.CommOKFlag, "no success after an Ignore");
        break;
    case 1:
        ReadEEPROMData(host);
        if (s.CommOKFlag) {
            Table16x2 t;
            ModuleParameters p;
            decodeImage(s.EEPROMBuffer, t, p);
        }
        break;
    case 2:
        s.EEPROMBuffer = encodeImage(test::curves(10, 5, 0.5), s.params, 28, 0);
        WriteEEPROMData(host);
        break;
    default:
        SetEEPROMAddress(host, in.ConsumeIntegralInRange(0, 255));
        if (dialogs.ignored) fuzz::check(!s.CommOKFlag, "no acknowledge after an Ignore");
        (void)ReadEEPROM(host);
        break;
    }
    return 0;
}
