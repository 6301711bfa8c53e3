#include "platform/alertsqt/AlertsQt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon IconFor(AlertType type) {
    switch (type) {
        case kAlertStopAlert:
            return QMessageBox::Critical;
        case kAlertCautionAlert:
            return QMessageBox::Warning;
        case kAlertNoteAlert:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

void InstallQtAlertPresenter() { SetAlertPresenter(PresentAlertInQt); }

DialogItemIndex PresentAlertInQt(const AlertDescription* alert) {
    // A QCoreApplication has no windows to show a box in.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return PresentAlertAsText(alert);
    QMessageBox box;
    box.setIcon(IconFor(alert->type));
    box.setWindowTitle(QString::fromUtf8(alert->title));
    box.setText(QString::fromUtf8(alert->title));
    box.setInformativeText(QString::fromUtf8(alert->explanation));
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton* ok =
        box.addButton(QString::fromUtf8(alert->defaultButton), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    QPushButton* cancel = nullptr;
    if (alert->cancelButton && alert->cancelButton[0]) {
        cancel = box.addButton(QString::fromUtf8(alert->cancelButton), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    } else {
        box.setEscapeButton(ok);
    }
    box.exec();
    return cancel && box.clickedButton() == cancel ? kAlertStdAlertCancelButton
                                                   : kAlertStdAlertOKButton;
}
