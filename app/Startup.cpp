#include "app/Startup.h"

#include "app/Application.h"
#include "app/Main.h"
#include "dialogs/About.h"
#include "dialogs/ApplicationTitle.h"
#include "dialogs/FormFont.h"
#include "dialogs/MessageBoxPrompter.h"
#include "dialogs/Option.h"
#include "platform/InstallPaths.h"
#include "platform/NativePath.h"

int runSorteka(int argc, char** argv, const std::function<void(TfrmMain&)>& beforeShow) {
    TApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sorteka"));
    QGuiApplication::setDesktopFileName(QStringLiteral("sorteka"));
    MessageBoxPrompter prompter;
    application.setPrompter(&prompter);
    application.Title = applicationTitle();
    application.HelpFile = platform::installedManualFile();
    installFormFontSubstitution();
    try {
        TfrmMain frmMain(prompter);
        frmMain.HelpFile = application.HelpFile;
        // The folders as the file system names them: arguments() would turn
        // bytes that are not UTF-8 into replacement characters.
        for (int i = 1; i < argc; ++i)
            frmMain.commandLine.append(platform::decodePath(argv[i]));
        TfrmOption frmOption(prompter);
        TfrmAboutBox frmAboutBox;
        frmMain.attachForms(&frmOption, &frmAboutBox);
        if (beforeShow)
            beforeShow(frmMain);
        frmMain.show();
        application.exec();
    } catch (const std::exception& error) {
        application.ShowException(error);
    }
    return 0;
}
