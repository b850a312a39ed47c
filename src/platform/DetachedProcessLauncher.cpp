#include "DetachedProcessLauncher.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace sora {

namespace {

// Hand-written rather than QProcess::startDetached: in Qt 6.4 that passes on the signals we ignore
// (SIGXFSZ) and our descriptors without close-on-exec, and runs no child process modifier that
// could reset them.

// What went wrong on the way to exec, sent back to the caller through a close-on-exec pipe: the
// pipe reaches end-of-file without a report exactly when exec succeeded.
enum class Step : int
{
    Started, // not a failure: carries the started process's id
    Session,
    Fork,
    Directory,
    Exec
};

struct Report
{
    Step step;
    int error;
};

void report(int fd, Step step, int err)
{
    const Report r{step, err};
    [[maybe_unused]] const ssize_t n = ::write(fd, &r, sizeof r);
}

// A descriptor above the standard three, so moving it onto 0, 1 or 2 in the child never
// overwrites another one we still need.
int aboveStandard(int fd)
{
    if (fd < 0 || fd > 2)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

int openCloseOnExec(const QString& path, int flags)
{
    return aboveStandard(::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0644));
}

QString reason(const QString& what, int err)
{
    return what + QStringLiteral("（") + qt_error_string(err) + u'）';
}

// Everything the child needs, prepared before fork: between fork and exec only
// async-signal-safe calls are allowed, as other threads may hold locks.
struct ChildPlan
{
    std::string path;
    std::vector<std::string> argv;
    std::vector<std::string> environment;
    std::string directory;
    int in = -1;
    int out = -1;
    int reportFd = -1;
    rlim_t maxFd = 1024;
};

[[noreturn]] void runChild(const ChildPlan& plan, char* const* argv, char* const* envp)
{
    // Its own session: no terminal of ours, no signal meant for our process group reaches it.
    if (::setsid() < 0) {
        report(plan.reportFd, Step::Session, errno);
        ::_exit(127);
    }
    // Forked once more so it is no session leader (it can never take a controlling terminal) and
    // belongs to init, not to us: nobody here waits for it.
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
        report(plan.reportFd, Step::Fork, errno);
        ::_exit(127);
    }
    if (grandchild > 0)
        ::_exit(0);
    report(plan.reportFd, Step::Started, static_cast<int>(::getpid()));

    if (::chdir(plan.directory.c_str()) < 0) {
        report(plan.reportFd, Step::Directory, errno);
        ::_exit(127);
    }
    ::dup2(plan.in, STDIN_FILENO);
    ::dup2(plan.out, STDOUT_FILENO);
    ::dup2(plan.out, STDERR_FILENO);

    // Signals we ignore (SIGXFSZ, SIGPIPE) would stay ignored across exec; the program gets the
    // defaults and an empty mask.
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        if (sig != SIGKILL && sig != SIGSTOP)
            ::sigaction(sig, &defaults, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    // No descriptor of ours (display connection, settings, lock) may live on in the program.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) < 0)
        for (rlim_t fd = 3; fd < plan.maxFd; ++fd)
            ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);

    ::execve(plan.path.c_str(), argv, envp);
    report(plan.reportFd, Step::Exec, errno);
    ::_exit(127);
}

std::string_view keyOf(std::string_view entry)
{
    return entry.substr(0, entry.find('='));
}

// Our environment with the request's entries set over it, byte for byte as we have it.
std::vector<std::string> environmentWith(const std::vector<std::string>& extra)
{
    std::vector<std::string> all;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view ours(*entry);
        bool replaced = false;
        for (const std::string& e : extra)
            replaced = replaced || keyOf(e) == keyOf(ours);
        if (!replaced)
            all.emplace_back(ours);
    }
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

char* const* pointersTo(std::vector<std::string>& strings, std::vector<char*>& pointers)
{
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers.data();
}

// Why the request cannot be started as it stands, before anything is made for it.
std::optional<QString> requestProblem(const LaunchRequest& request)
{
    const QString& directory = request.workingDirectory;
    if (directory.isEmpty() || !QFileInfo(directory).isDir())
        return QStringLiteral("作業フォルダがありません。\r\n") + directory;
    const QFileInfo program(QDir(directory), request.program);
    if (request.program.isEmpty() || !program.isFile() || !program.isExecutable())
        return QStringLiteral("プログラムが見つからないか、実行できません。\r\n") +
               QDir::cleanPath(program.filePath());
    // exec takes each argument up to its first NUL: one would silently cut it short.
    for (const QString& argument : request.arguments + QStringList{request.program, request.title})
        if (argument.contains(QChar(u'\0')))
            return QStringLiteral("引数に使えない文字が含まれています。");
    for (const QString& entry : request.environment)
        if (entry.indexOf(u'=') <= 0 || entry.contains(QChar(u'\0')))
            return QStringLiteral("環境変数の指定が正しくありません。\r\n") + entry;
    return std::nullopt;
}

// The program as the command line names it: a name without "/" would be looked up on PATH by
// the terminal; ours always names a file.
QString programName(const LaunchRequest& request)
{
    return request.program.contains(u'/') ? request.program : QStringLiteral("./") + request.program;
}

// The terminal window's title: the request's, else the program's name.
QString windowTitle(const LaunchRequest& request)
{
    QString title = request.title.isEmpty() ? programName(request) : request.title;
    // A control character would end the title sequence of terminalCommand early.
    title.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return title;
}

// Sets the terminal's title from $0, then becomes the program.
const QString kTitleScript = QStringLiteral("printf '\\033]0;%s\\007' \"$0\"; exec \"$@\"");

// The command line that shows the program in `terminal`, or runs it alone when that is empty.
QStringList commandLine(const LaunchRequest& request, const QString& terminal)
{
    if (terminal.isEmpty())
        return QStringList{programName(request)} + request.arguments;
    // Iconic: it starts minimised, for the user to look at or close to stop the program. The
    // terminal execs the words after -e directly; only a lone word that fails to exec would go
    // to a shell, and the program was found executable before.
    const QString title = windowTitle(request);
    // -T sets only the legacy window name, which taskbars no longer read; the title sequence,
    // sent by a shell that then becomes the program, also sets _NET_WM_NAME in UTF-8. The
    // title reaches the shell as $0, never as code.
    return QStringList{terminal,
                       QStringLiteral("-iconic"),
                       QStringLiteral("-xrm"),
                       QStringLiteral("*utf8Title: true"),
                       QStringLiteral("-T"),
                       title,
                       QStringLiteral("-n"),
                       title,
                       QStringLiteral("-e"),
                       QStringLiteral("/bin/sh"),
                       QStringLiteral("-c"),
                       kTitleScript,
                       title,
                       programName(request)} +
           request.arguments;
}

// Our environment with the request's entries set over it.
std::vector<std::string> childEnvironment(const LaunchRequest& request)
{
    std::vector<std::string> extra;
    for (const QString& entry : request.environment)
        extra.push_back(QFile::encodeName(entry).toStdString());
    return environmentWith(extra);
}

// The program's standard input (/dev/null) and output: the log when no terminal shows it, else
// /dev/null. Why not, when one cannot be opened.
std::optional<QString> openStandardFiles(ChildPlan& plan, const LaunchRequest& request, bool inTerminal,
                                         const QStringList& argv)
{
    plan.in = openCloseOnExec(QStringLiteral("/dev/null"), O_RDONLY);
    if (inTerminal || request.logFile.isEmpty()) {
        plan.out = openCloseOnExec(QStringLiteral("/dev/null"), O_WRONLY);
        return std::nullopt;
    }
    plan.out = openCloseOnExec(QDir(request.workingDirectory).filePath(request.logFile),
                               O_WRONLY | O_CREAT | O_APPEND);
    if (plan.out < 0) {
        const int err = errno;
        if (plan.in >= 0)
            ::close(plan.in);
        return reason(QStringLiteral("ログファイルを開けません。\r\n") + request.logFile, err);
    }
    // One line per start, so the runs in the log can be told apart; on a line of its own, as a
    // recorder's progress display may have left the last line open.
    const QByteArray header = QByteArray(::lseek(plan.out, 0, SEEK_END) > 0 ? "\n" : "") +
                              QFile::encodeName(QDateTime::currentDateTime().toString(Qt::ISODate) + u' ' +
                                                argv.join(u' ') + u'\n');
    [[maybe_unused]] const ssize_t n =
        ::write(plan.out, header.constData(), static_cast<size_t>(header.size()));
    return std::nullopt;
}

// Reads the child's reports to their end: the program's id, then a failure if exec was not
// reached. The failed step, or nothing once exec succeeded.
std::optional<Report> readReports(int readEnd, qint64* pid)
{
    Report r{};
    ssize_t got;
    do {
        while ((got = ::read(readEnd, &r, sizeof r)) < 0 && errno == EINTR) {
        }
        if (got == static_cast<ssize_t>(sizeof r) && r.step == Step::Started && pid)
            *pid = r.error;
    } while (got == static_cast<ssize_t>(sizeof r) && r.step == Step::Started);
    if (got <= 0)
        return std::nullopt;
    return r;
}

// What a failed step means to the user.
QString failure(const Report& r, const QString& directory, const std::string& path)
{
    switch (r.step) {
    case Step::Session:
    case Step::Fork:
        return reason(QStringLiteral("プロセスを作成できません。"), r.error);
    case Step::Directory:
        return reason(QStringLiteral("作業フォルダに移れません。\r\n") + directory, r.error);
    case Step::Exec:
    case Step::Started:
        break;
    }
    return reason(QStringLiteral("プログラムを起動できません。\r\n") + QString::fromStdString(path), r.error);
}

} // namespace

DetachedProcessLauncher::DetachedProcessLauncher() : m_lookUp(true) {}

DetachedProcessLauncher::DetachedProcessLauncher(QString terminal)
    : m_lookUp(false), m_terminal(std::move(terminal))
{
}

QString DetachedProcessLauncher::terminal() const
{
    if (!m_lookUp)
        return m_terminal;
    // Looked up at each start: a terminal installed meanwhile is used, one removed is not.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QString();
    return QStandardPaths::findExecutable(QStringLiteral("xterm"));
}

bool DetachedProcessLauncher::showsProgram(const QStringList& commandLine, const QString& program)
{
    // ... -e /bin/sh -c <script> <title> <program> <arguments>
    const qsizetype e = commandLine.indexOf(QStringLiteral("-e"));
    return e > 0 && commandLine.value(e + 1) == u"/bin/sh" && commandLine.value(e + 2) == u"-c" &&
           commandLine.value(e + 3) == kTitleScript && commandLine.value(e + 5) == program;
}

bool DetachedProcessLauncher::startDetached(const LaunchRequest& request, QString* error, qint64* pid)
{
    if (pid)
        *pid = 0;
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (const std::optional<QString> problem = requestProblem(request))
        return fail(*problem);

    // Everything the child needs is made here, before fork.
    ChildPlan plan;
    plan.directory = QFile::encodeName(request.workingDirectory).toStdString();
    const QString shownIn = terminal();
    const QStringList argv = commandLine(request, shownIn);
    plan.path = QFile::encodeName(argv.first()).toStdString();
    for (const QString& a : argv)
        plan.argv.push_back(QFile::encodeName(a).toStdString());
    std::vector<char*> argp;
    char* const* const argvPointers = pointersTo(plan.argv, argp);
    plan.environment = childEnvironment(request);
    std::vector<char*> envp;
    char* const* const envPointers = pointersTo(plan.environment, envp);
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        plan.maxFd = limit.rlim_cur;
    if (const std::optional<QString> problem = openStandardFiles(plan, request, !shownIn.isEmpty(), argv))
        return fail(*problem);

    int pipeFds[2];
    if (plan.in < 0 || plan.out < 0 || ::pipe2(pipeFds, O_CLOEXEC) < 0) {
        const int err = errno;
        for (int fd : {plan.in, plan.out})
            if (fd >= 0)
                ::close(fd);
        return fail(reason(QStringLiteral("プロセスを作成できません。"), err));
    }
    const int readEnd = aboveStandard(pipeFds[0]);
    plan.reportFd = aboveStandard(pipeFds[1]);

    const pid_t child = ::fork();
    if (child == 0)
        runChild(plan, argvPointers, envPointers);
    const int forkError = errno;
    for (int fd : {plan.in, plan.out, plan.reportFd})
        ::close(fd);
    if (child < 0) {
        ::close(readEnd);
        return fail(reason(QStringLiteral("プロセスを作成できません。"), forkError));
    }
    // The first child ends as soon as it has forked the program off; only it is waited for.
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    const std::optional<Report> failed = readReports(readEnd, pid);
    ::close(readEnd);
    return failed ? fail(failure(*failed, request.workingDirectory, plan.path)) : true;
}

} // namespace sora
