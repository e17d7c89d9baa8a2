#include "ui/report_viewer.h"

#include "ui/qt_text.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QVBoxLayout>

namespace velmorane::ui {

ReportViewer::ReportViewer(const std::string& profileName, const std::string& reportPath, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Rapport"));
    setWindowTitle(qt("Dernier rapport du profil " + profileName));
    auto* layout = new QVBoxLayout(this);
    auto* path = new QLabel(qt(reportPath), this);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(path);
    texte = new QPlainTextEdit(this);
    texte->setReadOnly(true);
    texte->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFile file(qt(reportPath));
    if (file.open(QIODevice::ReadOnly)) texte->setPlainText(QString::fromUtf8(file.readAll()));
    layout->addWidget(texte);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 420);
}

}  // namespace velmorane::ui
