#include "platform/system_error.h"

#include <cerrno>
#include <cstring>
#include <locale.h>

namespace velmorane::platform {

std::string systemReason(int errorNumber, const char* localeName)
{
    // Without the character types of the locale, accented letters come out as "?".
    if (const locale_t messages = ::newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, localeName, nullptr)) {
        std::string reason = ::strerror_l(errorNumber, messages);
        ::freelocale(messages);
        return reason;
    }
    const char* english = ::strerrordesc_np(errorNumber);
    return english ? english : "Unknown error " + std::to_string(errorNumber);
}

SystemError systemError(int errorNumber)
{
    return SystemError{errorNumber, systemReason(errorNumber, kReasonLocale)};
}

SystemError changedWhileCopied()
{
    return SystemError{EAGAIN, "le fichier a changé pendant la copie"};
}

}  // namespace velmorane::platform
