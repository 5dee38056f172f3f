// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/eeprom_image.h"
#include "link/protocol.h"
#include "link/transfers.h"

namespace kv {
namespace {
constexpr const char* kTitle = "Upload To EEPROM";

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
} // namespace

bool UploadToEEPROM(Shell& shell, LinkHost& link) {
    ProgramState& s = shell.state();
    // 1.
    if (!shell.tableShown()) {
        tell(shell, "No advance table data for uploading.", Icon::Exclamation);
        return false;
    }
    // 2 to 6. The identification overwrites TableType with the module's type.
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

    // 9 and 10. The module's own bytes are read and carried through.
    std::uint8_t b = 0;
    if (!readModuleByte(link, 52, b)) {
        tell(shell, "Upload aborted - EEPROM programming failed.", Icon::Information);
        return false;
    }
    s.EEPROMBuffer[kModuleByte] = carriedModuleByte(b);
    if (!readModuleByte(link, 53, b)) {
        tell(shell, "Upload aborted - EEPROM programming failed.", Icon::Information);
        return false;
    }
    s.EEPROMBuffer[kFlagByte] = flagByte(b, s.params);
    // 11.
    s.EEPROMBuffer[kRpmByte] = rpmLimitByte(s.params);

    // 12 and 13.
    WriteEEPROMData(link);
    if (!s.CommOKFlag) {
        tell(shell, "Upload aborted - EEPROM programming failed.", Icon::Information);
        return false;
    }
    if (s.VerifyErrorCount != 0) {
        tell(shell, "Upload aborted - EEPROM verification failed.", Icon::Information);
        return false;
    }
    tell(shell, "Upload completed.", Icon::Exclamation);
    return true;
}

} // namespace kv
