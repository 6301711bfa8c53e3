// The help command: the user manual in the desktop's viewer for PDF files.
#ifndef HZ_DIALOG_USERMANUAL_H
#define HZ_DIALOG_USERMANUAL_H

// Every failure is a notice; the dialog carries on.
void OpenManual();

#endif
