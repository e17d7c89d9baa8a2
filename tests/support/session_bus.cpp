#include "tests/support/session_bus.h"

#include <dbus/dbus.h>

#include <csignal>
#include <cstdint>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

DBusConnection* bus(void* connection)
{
    return static_cast<DBusConnection*>(connection);
}

std::string readLine(int descriptor)
{
    std::string line;
    char c = 0;
    while (::read(descriptor, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

// The title and body of a Notify call: its fourth and fifth arguments.
ReceivedNotice noticeOf(DBusMessage* call)
{
    ReceivedNotice notice;
    DBusMessageIter arguments;
    if (!dbus_message_iter_init(call, &arguments)) return notice;
    for (int index = 0; index < 5; ++index) {
        if (index >= 3 && dbus_message_iter_get_arg_type(&arguments) == DBUS_TYPE_STRING) {
            const char* text = nullptr;
            dbus_message_iter_get_basic(&arguments, &text);
            (index == 3 ? notice.title : notice.body) = text;
        }
        if (!dbus_message_iter_next(&arguments)) break;
    }
    return notice;
}

}  // namespace

std::string PrivateSessionBus::whyNotAvailable()
{
    return ::access("/usr/bin/dbus-run-session", X_OK) == 0 ? "" : "dbus-run-session is not installed (package dbus-daemon)";
}

PrivateSessionBus::PrivateSessionBus()
{
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    session_ = ::fork();
    if (session_ == 0) {
        ::setpgid(0, 0);
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execl("/usr/bin/dbus-run-session", "dbus-run-session", "--", "/bin/sh", "-c",
                "echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec sleep 600", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    address_ = readLine(out[0]);
    ::close(out[0]);
    if (address_.empty()) throw std::runtime_error("dbus-run-session gave no bus address");
}

PrivateSessionBus::~PrivateSessionBus()
{
    if (session_ <= 0) return;
    // The sleeping shell ends, so dbus-run-session stops the bus and ends too.
    ::kill(-session_, SIGTERM);
    ::waitpid(session_, nullptr, 0);
}

NotificationServer::NotificationServer(const std::string& busAddress, Answers answers)
{
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* connection = dbus_connection_open_private(busAddress.c_str(), &error);
    if (!connection || !dbus_bus_register(connection, &error) ||
        dbus_bus_request_name(connection, "org.freedesktop.Notifications", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        const std::string why = dbus_error_is_set(&error) ? error.message : "name not owned";
        dbus_error_free(&error);
        if (connection) {
            dbus_connection_close(connection);
            dbus_connection_unref(connection);
        }
        throw std::runtime_error("notification server: " + why);
    }
    dbus_connection_set_exit_on_disconnect(connection, FALSE);
    connection_ = connection;
    thread_ = std::thread([this, answers] { serve(answers); });
}

NotificationServer::~NotificationServer()
{
    stopping_ = true;
    thread_.join();
    dbus_connection_close(bus(connection_));
    dbus_connection_unref(bus(connection_));
}

std::vector<ReceivedNotice> NotificationServer::notices() const
{
    const std::lock_guard lock(mutex_);
    return notices_;
}

void NotificationServer::serve(Answers answers)
{
    std::uint32_t nextId = 1;
    while (!stopping_ && dbus_connection_read_write(bus(connection_), 50)) {
        while (DBusMessage* message = dbus_connection_pop_message(bus(connection_))) {
            if (dbus_message_is_method_call(message, "org.freedesktop.Notifications", "Notify")) {
                {
                    const std::lock_guard lock(mutex_);
                    notices_.push_back(noticeOf(message));
                }
                if (answers == Answers::Yes) {
                    DBusMessage* reply = dbus_message_new_method_return(message);
                    dbus_message_append_args(reply, DBUS_TYPE_UINT32, &nextId, DBUS_TYPE_INVALID);
                    ++nextId;
                    dbus_connection_send(bus(connection_), reply, nullptr);
                    dbus_connection_flush(bus(connection_));
                    dbus_message_unref(reply);
                }
            }
            dbus_message_unref(message);
        }
    }
}

}  // namespace velmorane::testing
