#include "tests/support/qt_application.h"

#include "ui/application.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

// Ends the application when the tests are over, while Qt's own objects are all still there.
class QtApplicationEnvironment : public ::testing::Environment {
public:
    explicit QtApplicationEnvironment(QApplication* application) : application_(application) {}
    void TearDown() override { delete application_; }

private:
    QApplication* application_;
};

}  // namespace

void ensureQtApplication()
{
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velmorane-tests";
    static char* argv[] = {name, nullptr};
    auto* application = new QApplication(argc, argv);
    ui::setUpApplication(*application);
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment(application));
}

}  // namespace velmorane::testing
