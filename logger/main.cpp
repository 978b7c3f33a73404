// PlovexLogger, the measurement program. Started from its data folder (the catalogue, the
// language and picture modules, the help pages and the report template): that folder is the
// program's data directory.
#include "logger/shell/CVRDMainAppApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    shell::CVRDMainAppApp program;
    return program.Run();
}
