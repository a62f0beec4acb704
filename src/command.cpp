// The `quillet` command: what users, the launcher entry, login items and
// desktop shortcuts run. It answers what the command line alone answers and
// hands requests to the running Quillet over the session bus; only when no
// Quillet runs does it become the program, in the same process, so the
// desktop sees one start.

#include "app/CommandLine.h"
#include "app/Forwarding.h"
#include "platform/ProgramFiles.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <unistd.h>

namespace {

// Where this command lies, as the kernel knows it: argv[0] may be a bare
// name found on PATH.
QString ownPath()
{
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

} // namespace

int main(int argc, char **argv)
{
    const CommandLine line = CommandLine::parse(Forwarding::argumentsOf(argc, argv));
    if (const std::optional<int> status = Forwarding::settle(line))
        return *status;

    const QString command = ownPath();
    const QString program = ProgramFiles::programFor(command);
    if (program.isEmpty()) {
        std::cerr << "quillet: the Quillet program is missing beside " << command.toStdString()
                  << " (libexec/quillet/quillet); reinstall Quillet" << std::endl;
        return 1;
    }
    setenv(ProgramFiles::commandVariable, QFile::encodeName(command).constData(), 1);
    const QByteArray path = QFile::encodeName(program);
    execv(path.constData(), argv);
    std::cerr << "quillet: cannot start " << program.toStdString() << ": " << std::strerror(errno) << std::endl;
    return 1;
}
