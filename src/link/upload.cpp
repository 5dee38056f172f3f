// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/eeprom_image.h"
#include "link/protocol.h"
#include "link/read_twice.h"
#include "link/transfers.h"

namespace kv {
namespace {
constexpr const char* kTitle = "Upload To EEPROM";
constexpr const char* kProgrammingFailed = "Upload aborted - EEPROM programming failed.";
constexpr const char* kPartlyProgrammed =
    "\n\nThe module may now hold part of this table and part of the one before. Upload again "
    "before starting the engine.";

void tell(Shell& shell, const std::string& text, Icon icon) {
    shell.dialogs().message(text, kTitle, Buttons::OK, icon);
}

// Reads the module's byte at `address`; false when either exchange failed.
bool readModuleByte(LinkHost& link, std::int32_t address, std::uint8_t& byte) {
    SetEEPROMAddress(link, address);
    if (!link.state().CommOKFlag) return false;
    byte = ReadEEPROM(link);
    return link.state().CommOKFlag;
}

// The module's byte at `address`, read twice; false, with the reason told, unless the two
// reads agreed.
bool readCarriedByte(Shell& shell, LinkHost& link, std::int32_t address, std::uint8_t& byte) {
    const auto once = [&](std::uint8_t& into) { return readModuleByte(link, address, into); };
    switch (readTwice(once, byte)) {
    case TwoReads::Agreed:
        return true;
    case TwoReads::Failed:
        tell(shell, kProgrammingFailed, Icon::Information);
        return false;
    case TwoReads::Differed:
        break;
    }
    tell(shell, "Upload aborted - the module's data differed between two reads. Check the cable.",
         Icon::Information);
    return false;
}
} // namespace

bool UploadToEEPROM(Shell& shell, LinkHost& link) {
    ProgramState& s = shell.state();
    // 1.
    if (!shell.tableShown()) {
        tell(shell, "No advance table data for uploading.", Icon::Exclamation);
        return false;
    }
    // A table the module cannot hold is refused before the port is touched.
    if (const auto refusal = refuseUpload(s.live.values)) {
        tell(shell, *refusal, Icon::Exclamation);
        return false;
    }
    // 2 to 6. The identification overwrites TableType with the module's type. Only an
    // Escape pressed from here on may cut the transfer short, not one left over.
    s.AbortRequested = false;
    const std::string tableType = s.TableType;
    ReadFirmwareID(link);
    const std::string moduleType = s.TableType;
    // The open table keeps its own type, and with it its limits, whatever follows.
    s.TableType = tableType;
    if (!s.CommOKFlag) {
        tell(shell, "Firmware ID read failed - cannot upload.", Icon::Exclamation);
        return false;
    }
    if (s.FirmwareID.empty()) {
        tell(shell, "Invalid firmware ID - cannot upload.", Icon::Exclamation);
        return false;
    }
    if (moduleType != tableType && moduleType != "RACE") {
        tell(shell, "Cannot upload - incorrect data for EX versions", Icon::None);
        return false;
    }

    // 7 and 8. The program's bytes of the image.
    copyLiveToAdvanceTable(s);
    encodeTableBytes(s.AdvanceTable, s.params, s.EEPROMBuffer);

    // 9 and 10. The module's own bytes, carried through.
    std::uint8_t b = 0;
    if (!readCarriedByte(shell, link, 52, b)) return false;
    s.EEPROMBuffer[kModuleByte] = carriedModuleByte(b);
    if (!readCarriedByte(shell, link, 53, b)) return false;
    s.EEPROMBuffer[kFlagByte] = flagByte(b, s.params);
    // 11.
    s.EEPROMBuffer[kRpmByte] = rpmLimitByte(s.params);

    // 12 and 13. Once a byte was sent, a failure says what the module may now hold.
    const bool sentAny = WriteEEPROMData(link) > 0;
    const std::string partly = sentAny ? kPartlyProgrammed : "";
    if (!s.CommOKFlag) {
        tell(shell, kProgrammingFailed + partly, Icon::Information);
        return false;
    }
    if (s.VerifyErrorCount != 0) {
        tell(shell, "Upload aborted - EEPROM verification failed." + partly, Icon::Information);
        return false;
    }
    tell(shell, "Upload completed.", Icon::Exclamation);
    return true;
}

} // namespace kv
