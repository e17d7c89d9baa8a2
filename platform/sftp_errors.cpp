#include "platform/sftp_errors.h"

#include <cerrno>

namespace velmorane::platform {
namespace {

// ssh may say why in several lines; a journal line and a box line take one.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text;
}

SystemError withServerWords(int number, const std::string& said)
{
    SystemError error = systemError(number);
    if (!said.empty()) error.reason += " (serveur SSH : " + said + ")";
    return error;
}

SystemError ofStatus(const SftpError& error)
{
    switch (error.status) {
    case SftpStatus::NoSuchFile: return systemError(ENOENT);
    case SftpStatus::PermissionDenied: return systemError(EACCES);
    case SftpStatus::Unsupported: return withServerWords(EOPNOTSUPP, error.message);
    case SftpStatus::BadMessage: return withServerWords(EINVAL, error.message);
    default: return {EIO, "le serveur SSH a refusé l'opération" + (error.message.empty() ? "" : " (" + error.message + ")")};
    }
}

}  // namespace

SystemError systemErrorOf(const SftpError& error)
{
    switch (error.kind) {
    case SftpFailure::ServerStatus: return ofStatus(error);
    case SftpFailure::ConnectionLost: return {ENOTCONN, "connexion SSH perdue : " + oneLine(error.message)};
    case SftpFailure::Unsupported: return {EOPNOTSUPP, error.message};
    case SftpFailure::BadAnswer: return {EPROTO, "réponse illisible du serveur SSH : " + error.message};
    case SftpFailure::LocalFile: return {EIO, error.message};
    }
    return {EIO, error.message};
}

SystemError connectionErrorOf(const SftpError& error)
{
    return {EHOSTUNREACH, "connexion SSH impossible : " + oneLine(error.message)};
}

}  // namespace velmorane::platform
