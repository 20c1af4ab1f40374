#include "QtDialogs.h"

#include "TfrmInput.h"
#include "WindowHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QScreen>

namespace {
QWidget* ModalParent() { return QApplication::activeWindow(); }
}  // namespace

TMsgButton TQtDialogs::MessageBox(TMsgKind kind, const QString& caption, const QString& text, TMsgButtons buttons,
                                  TMsgButton defaultButton)
{
    QMessageBox box(ModalParent());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case TMsgKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMsgKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMsgKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMsgKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    struct Choice {
        TMsgButton button;
        QMessageBox::ButtonRole role;
    };
    const Choice choices[] = {{mbYes, QMessageBox::YesRole},
                              {mbNo, QMessageBox::NoRole},
                              {mbOK, QMessageBox::AcceptRole},
                              {mbCancel, QMessageBox::RejectRole}};
    QList<QPair<QAbstractButton*, TMsgButton>> made;
    for (const Choice& c : choices)
        if (buttons & c.button)
            made.append(qMakePair(static_cast<QAbstractButton*>(box.addButton(ButtonText(c.button), c.role)), c.button));
    if (made.isEmpty())
        made.append(qMakePair(static_cast<QAbstractButton*>(box.addButton(ButtonText(mbOK), QMessageBox::AcceptRole)), mbOK));
    const TMsgButton enter = DefaultButtonOf(buttons, defaultButton);
    for (const auto& [b, id] : made)
        if (id == enter)
            box.setDefaultButton(qobject_cast<QPushButton*>(b));
    // Closing the box otherwise counts as its "no" or "cancel" button.
    for (const auto& [b, id] : made)
        if (id == mbCancel || id == mbNo)
            box.setEscapeButton(b);
    box.exec();
    for (const auto& [b, id] : made)
        if (box.clickedButton() == b)
            return id;
    return (buttons & mbCancel) ? mbCancel : (buttons & mbNo) ? mbNo : mbOK;
}

bool TQtDialogs::InputBox(const QString& caption, const QString& prompt, QString& value, int maxLength)
{
    TfrmInput form;
    form.SetMaxLength(maxLength);
    form.setWindowTitle(caption);
    form.stPrompt->setText(prompt);
    CentreOnScreen(&form, QGuiApplication::primaryScreen());
    if (form.exec() != QDialog::Accepted)
        return false;
    value = form.edtInput->text();
    return true;
}

QString TQtDialogs::SelectDirectory(const QString& caption, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(ModalParent(), caption, startFolder);
}

QString TQtDialogs::OpenFileName(const QString& caption, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(ModalParent(), caption, folder, filter);
}

QString TQtDialogs::SaveFileName(const QString& caption, const QString& fileName, const QString& filter)
{
    // A file that exists is replaced without a question: the caller decides, in its own words.
    return QFileDialog::getSaveFileName(ModalParent(), caption, fileName, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}
