#pragma once

#include <QDialog>
#include <QPlainTextEdit>

#include <string>

namespace velmorane::ui {

// The last report of a profile, read only, as its run wrote it.
class ReportViewer : public QDialog {
    Q_OBJECT
public:
    ReportViewer(const std::string& profileName, const std::string& reportPath, QWidget* parent);

    QPlainTextEdit* texte = nullptr;
};

}  // namespace velmorane::ui
