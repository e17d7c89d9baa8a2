#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>
#include <string>

namespace velmorane::ui {

// What ssh asks: yes or no (whether to trust an unknown host's key, shown by its fingerprint), or a
// secret typed out of sight (a password, a key's passphrase).
enum class SshQuestionKind { YesNo, Secret };
SshQuestionKind kindOfSshQuestion(const std::string& question);

// ssh's question in a small window, in ssh's own words. "Oui" and "Non" answer "yes" and "no"; a
// secret is typed in a field that hides it. Closing the window answers nothing.
class SshQuestionDialog : public QDialog {
    Q_OBJECT
public:
    explicit SshQuestionDialog(const std::string& question, QWidget* parent = nullptr);

    // The answer given, nothing when the window was closed or cancelled.
    const std::optional<std::string>& answer() const { return answer_; }

    QLabel* question = nullptr;
    QLineEdit* secret = nullptr;
    QPushButton* yesButton = nullptr;
    QPushButton* noButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void answerWith(std::string answer);

    std::optional<std::string> answer_;
};

}  // namespace velmorane::ui
