// boxstat: the interactive program. One window, event driven.
#include <QApplication>

#include "ApplicationTitle.h"
#include "ExtendedMAPI.h"
#include "GuiLook.h"
#include "QtUserDialogs.h"
#include "unMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  mapi::SetApplicationTitle(mapi::kGuiApplicationTitle);
  QApplication::setApplicationName(QString::fromLatin1(mapi::kGuiApplicationTitle));
  mapi::SetLibrarySearch(mapi::Flavour::Gui);
  gui::ApplyApplicationLook();

  gui::QtUserDialogs dialogs;
  gui::TfrmMainExecute window(dialogs);
  window.show();
  return app.exec();
}
