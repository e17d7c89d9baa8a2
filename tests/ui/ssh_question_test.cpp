#include "tests/support/qt_application.h"
#include "ui/ssh_question.h"

#include <QTest>

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

const std::string kUnknownHost =
    "The authenticity of host 'serveur (192.0.2.7)' can't be established.\n"
    "ED25519 key fingerprint is SHA256:Vx0uFh0sKm3mW3jPpqXb9yq8fWw7kC5n0sW4m2k4H0E.\n"
    "This key is not known by any other names.\n"
    "Are you sure you want to continue connecting (yes/no/[fingerprint])? ";

TEST(SshQuestion, AnUnknownHostIsAnsweredYesOrNoWithItsFingerprintShown)
{
    ensureQtApplication();
    EXPECT_EQ(ui::kindOfSshQuestion(kUnknownHost), ui::SshQuestionKind::YesNo);
    for (const auto& [button, answer] : {std::pair{0, "yes"}, std::pair{1, "no"}}) {
        ui::SshQuestionDialog dialog(kUnknownHost);
        dialog.show();
        EXPECT_EQ(dialog.question->text().toStdString(), kUnknownHost);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Connexion SSH");
        EXPECT_EQ(dialog.secret, nullptr);
        EXPECT_EQ(dialog.yesButton->text().toStdString(), "Oui");
        EXPECT_EQ(dialog.noButton->text().toStdString(), "Non");
        EXPECT_TRUE(dialog.noButton->isDefault());
        QTest::mouseClick(button == 0 ? dialog.yesButton : dialog.noButton, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.answer(), std::optional<std::string>(answer));
    }
    ui::SshQuestionDialog closed(kUnknownHost);
    closed.show();
    closed.close();
    EXPECT_EQ(closed.answer(), std::nullopt);
}

TEST(SshQuestion, APasswordIsTypedOutOfSightAndCancellingAnswersNothing)
{
    ensureQtApplication();
    const std::string asked = "moi@serveur's password: ";
    EXPECT_EQ(ui::kindOfSshQuestion(asked), ui::SshQuestionKind::Secret);
    ui::SshQuestionDialog dialog(asked);
    dialog.show();
    EXPECT_EQ(dialog.question->text().toStdString(), asked);
    ASSERT_NE(dialog.secret, nullptr);
    EXPECT_EQ(dialog.secret->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.yesButton, nullptr);
    QTest::keyClicks(dialog.secret, QStringLiteral("mot de passe 8"));
    QTest::keyClick(dialog.secret, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.answer(), std::optional<std::string>("mot de passe 8"));

    ui::SshQuestionDialog cancelled("Enter passphrase for key '/home/moi/.ssh/id_ed25519': ");
    cancelled.show();
    QTest::keyClicks(cancelled.secret, QStringLiteral("secret"));
    QTest::mouseClick(cancelled.cancelButton, Qt::LeftButton);
    EXPECT_EQ(cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(cancelled.answer(), std::nullopt);
}

}  // namespace
}  // namespace velmorane::testing
