#include "reportError.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "shellMain.h"
#include "stringUtils.h"

namespace {

constexpr ADMInt32 kErrorStringList = 16050;
constexpr ADMInt32 kErrorDialogID = 16051;
constexpr ADMInt32 kOKButton = 1;
constexpr ADMInt32 kMessageItem = 2;
constexpr ADMInt32 kCodeItem = 3;

// The string numbers count in 16 bits; a list that never ends with an
// empty code string stops being searched where the count would overflow.
constexpr ADMInt32 kLastCodeString = 32765;

// What the error dialog receives as its user data.
struct ErrorRecord {
    char message[256];
    char codeText[16];
};

// The low 16 bits of the value truncated toward zero, as a signed number.
// False for a value with no integer part to take (not a number, infinite).
bool lowSixteenBits(AIReal value, ASInt32* code) {
    if (!std::isfinite(value)) {
        return false;
    }
    double wrapped = std::fmod(std::trunc(static_cast<double>(value)), 65536.0);
    if (wrapped < 0) {
        wrapped += 65536.0;
    }
    *code = static_cast<ASInt16>(static_cast<ASUInt16>(wrapped));
    return true;
}

// A numeric code string, already length-prefixed, as a code.
bool numericCode(const unsigned char* pstr, ASInt32* code) {
    AIReal value = 0;
    if (sAIUser == nullptr || sAIUser->stringToReal(pstr, &value) != kNoErr) {
        return false;  // text the host cannot read names no code
    }
    return lowSixteenBits(value, code);
}

// Whether code string `text` (zero-terminated, turned length-prefixed here)
// names the error.
bool codeStringMatches(char* text, ASInt32 error) {
    const bool numeric = text[0] == '-' || (text[0] >= '0' && text[0] <= '9');
    const unsigned char* pstr = SUctopstr(text);
    if (pstr == nullptr) {
        return false;
    }
    if (numeric) {
        ASInt32 code = 0;
        return numericCode(pstr, &code) && code == error;
    }
    // A four-character code names one only with all four characters there.
    return pstr[0] >= 4 && fourCharCode(static_cast<char>(pstr[1]), static_cast<char>(pstr[2]),
                                        static_cast<char>(pstr[3]), static_cast<char>(pstr[4])) == error;
}

// Reads the message for the error into the record: the message after the
// first code string that names it, else the last pair's message. False when
// the message cannot be read.
bool findMessage(SPPluginRef plugin, ASInt32 error, ErrorRecord& record) {
    for (ADMInt32 n = 1; n <= kLastCodeString + 2; n += 2) {
        char codeString[255] = "";
        if (n <= kLastCodeString) {
            sADMBasic->getIndexString(plugin, kErrorStringList, n, codeString, sizeof codeString);
        }
        if (codeString[0] == '\0') {
            // The end of the list: its last pair is the catch-all.
            return sADMBasic->getIndexString(plugin, kErrorStringList, n - 1, record.message,
                                             sizeof record.message) == kNoErr;
        }
        if (codeStringMatches(codeString, error)) {
            return sADMBasic->getIndexString(plugin, kErrorStringList, n + 1, record.message,
                                             sizeof record.message) == kNoErr;
        }
    }
    return false;
}

}  // namespace

void report_error(SPInterfaceMessage* message, ASInt32 error) {
    if (error == kNoErr || error == kCanceledErr) {
        return;
    }
    if (sADMBasic == nullptr || sADMDialog == nullptr) {
        return;
    }
    ErrorRecord record{};
    if (!findMessage(message->d.self, error, record)) {
        return;
    }
    const ASInt32 high = error >> 16;
    if (high == 0 || high == -1) {
        AIErrToCString(error, record.codeText);
    } else {
        unsigned char code[5] = {4, static_cast<unsigned char>(error >> 24),
                                 static_cast<unsigned char>(error >> 16),
                                 static_cast<unsigned char>(error >> 8), static_cast<unsigned char>(error)};
        std::memcpy(record.codeText, SUptocstr(code), sizeof code);
    }
    if (sADMDialog == nullptr) {
        return;
    }
    sADMDialog->modal(message->d.self, "Error Dialog", kErrorDialogID, 0, ErrorDialogInitProc, &record, 0);
}

const char* AIErrToCString(ASInt32 error, char* buffer) {
    // Through a float, as the host formats numbers: codes beyond 2 to the
    // 24th lose their low digits.
    const AIReal value = std::trunc(static_cast<AIReal>(error));
    buffer[0] = 0;
    if (sAIUser == nullptr ||
        sAIUser->realToString(value, 0, reinterpret_cast<unsigned char*>(buffer)) != kNoErr) {
        std::snprintf(buffer, 16, "%.0f", static_cast<double>(value));
        return buffer;
    }
    return SUptocstr(reinterpret_cast<unsigned char*>(buffer));
}

void CStringToAIErr(char* text, ASInt32* error) {
    const unsigned char* pstr = SUctopstr(text);
    ASInt32 code = 0;
    if (pstr != nullptr && numericCode(pstr, &code)) {
        *error = code;
    }
}

ADMErr ErrorDialogInitProc(ADMDialogRef dialog) noexcept {
    if (sADMDialog == nullptr || sADMItem == nullptr) {
        return kNoErr;
    }
    if (ADMItemRef ok = sADMDialog->getItem(dialog, kOKButton)) {
        sADMItem->setNotifyProc(ok, ErrorDialogOKButtonProc);
    }
    const auto* record = static_cast<const ErrorRecord*>(sADMDialog->getUserData(dialog));
    if (record == nullptr) {
        return kNoErr;
    }
    if (ADMItemRef text = sADMDialog->getItem(dialog, kMessageItem)) {
        sADMItem->setText(text, record->message);
    }
    if (ADMItemRef code = sADMDialog->getItem(dialog, kCodeItem)) {
        sADMItem->setText(code, record->codeText);
    }
    return kNoErr;
}

void ErrorDialogOKButtonProc(ADMItemRef item, ADMNotifierRef notifier) noexcept {
    if (sADMItem != nullptr) {
        sADMItem->defaultNotify(item, notifier);
    }
}
