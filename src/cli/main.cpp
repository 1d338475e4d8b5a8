#include "ExportCommand.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("setlistry-export"));
    QCoreApplication::setOrganizationName(QStringLiteral("Setlistry"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SETLISTRY_VERSION));
    return ExportCommand::run(QCoreApplication::arguments());
}
