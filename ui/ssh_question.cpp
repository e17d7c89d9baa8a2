#include "ui/ssh_question.h"

#include "ui/qt_text.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace velmorane::ui {

SshQuestionKind kindOfSshQuestion(const std::string& question)
{
    return question.find("(yes/no") != std::string::npos ? SshQuestionKind::YesNo : SshQuestionKind::Secret;
}

SshQuestionDialog::SshQuestionDialog(const std::string& asked, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("QuestionSSH"));
    setWindowTitle(QStringLiteral("Connexion SSH"));
    auto* layout = new QVBoxLayout(this);
    question = new QLabel(qt(asked), this);
    question->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(question);
    auto* buttons = new QHBoxLayout;
    if (kindOfSshQuestion(asked) == SshQuestionKind::YesNo) {
        yesButton = new QPushButton(QStringLiteral("Oui"), this);
        noButton = new QPushButton(QStringLiteral("Non"), this);
        noButton->setDefault(true);
        buttons->addWidget(yesButton);
        buttons->addWidget(noButton);
        connect(yesButton, &QPushButton::clicked, this, [this] { answerWith("yes"); });
        connect(noButton, &QPushButton::clicked, this, [this] { answerWith("no"); });
    } else {
        secret = new QLineEdit(this);
        secret->setEchoMode(QLineEdit::Password);
        layout->addWidget(secret);
        okButton = new QPushButton(QStringLiteral("OK"), this);
        okButton->setDefault(true);
        cancelButton = new QPushButton(QStringLiteral("Annuler"), this);
        buttons->addWidget(okButton);
        buttons->addWidget(cancelButton);
        connect(okButton, &QPushButton::clicked, this, [this] { answerWith(secret->text().toStdString()); });
        connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    }
    layout->addLayout(buttons);
}

void SshQuestionDialog::answerWith(std::string answer)
{
    answer_ = std::move(answer);
    accept();
}

}  // namespace velmorane::ui
