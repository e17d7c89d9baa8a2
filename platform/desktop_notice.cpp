#include "platform/desktop_notice.h"

#include "platform/text_encoding.h"

#include <dbus/dbus.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace velmorane::platform {
namespace {

struct ConnectionCloser {
    void operator()(DBusConnection* connection) const
    {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
struct MessageReleaser {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionCloser>;
using BusMessage = std::unique_ptr<DBusMessage, MessageReleaser>;

// Frees the error of libdbus and keeps its text.
class BusError {
public:
    BusError() { dbus_error_init(&error_); }
    ~BusError() { dbus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    DBusError* get() { return &error_; }
    SystemError as(int number) const
    {
        return {number, dbus_error_is_set(&error_) ? std::string(error_.message) : std::string("D-Bus")};
    }

private:
    DBusError error_;
};

// A private connection to the session bus named by the environment: never the bus of another
// session found through the display, which a run without a display must not reach.
Result<Connection> sessionBus()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) return Result<Connection>::failure({ENOTCONN, "pas de bus de session"});
    BusError error;
    Connection connection(dbus_connection_open_private(address, error.get()));
    if (!connection) return Result<Connection>::failure(error.as(ENOTCONN));
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    if (!dbus_bus_register(connection.get(), error.get())) return Result<Connection>::failure(error.as(ENOTCONN));
    return {std::move(connection), std::nullopt};
}

bool appendString(DBusMessageIter* arguments, const std::string& text)
{
    const char* value = text.c_str();
    return dbus_message_iter_append_basic(arguments, DBUS_TYPE_STRING, &value);
}

bool appendEmptyContainer(DBusMessageIter* arguments, const char* signature)
{
    DBusMessageIter container;
    return dbus_message_iter_open_container(arguments, DBUS_TYPE_ARRAY, signature, &container) &&
           dbus_message_iter_close_container(arguments, &container);
}

// Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout).
BusMessage notifyCall(const std::string& title, const std::string& body)
{
    BusMessage message(dbus_message_new_method_call("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                                    "org.freedesktop.Notifications", "Notify"));
    if (!message) return nullptr;
    DBusMessageIter arguments;
    dbus_message_iter_init_append(message.get(), &arguments);
    const std::uint32_t replacesNone = 0;
    const std::int32_t serverDefaultTimeout = -1;
    const bool built = appendString(&arguments, "Velmorane") &&
                       dbus_message_iter_append_basic(&arguments, DBUS_TYPE_UINT32, &replacesNone) &&
                       appendString(&arguments, "velmorane") && appendString(&arguments, title) &&
                       appendString(&arguments, body) && appendEmptyContainer(&arguments, "s") &&
                       appendEmptyContainer(&arguments, "{sv}") &&
                       dbus_message_iter_append_basic(&arguments, DBUS_TYPE_INT32, &serverDefaultTimeout);
    return built ? std::move(message) : nullptr;
}

}  // namespace

MaybeError sendDesktopNotice(const std::string& title, const std::string& body, int timeoutMilliseconds)
{
    // The bus takes UTF-8 only; a path of other bytes would make libdbus give up on the message.
    if (!isValidUtf8(title) || !isValidUtf8(body)) return SystemError{EILSEQ, "texte non UTF-8"};
    auto bus = sessionBus();
    if (!bus.ok()) return bus.error;
    const BusMessage call = notifyCall(title, body);
    if (!call) return SystemError{ENOMEM, "D-Bus"};
    BusError error;
    const BusMessage reply(
        dbus_connection_send_with_reply_and_block(bus.value.get(), call.get(), timeoutMilliseconds, error.get()));
    if (!reply) return error.as(dbus_error_has_name(error.get(), DBUS_ERROR_NO_REPLY) ? ETIMEDOUT : EIO);
    return std::nullopt;
}

}  // namespace velmorane::platform
