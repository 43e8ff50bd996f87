// Another program's window for the fullscreen test: it reads one command a line from standard input
// ("full", "normal", "quit") and answers "ok" once the command is carried out. It starts by saying
// "ready" and its window id.
#include <QApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("A film"));
    window.resize(320, 200);
    window.show();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64] = {};
        if (!std::fgets(line, sizeof line, stdin)) {
            app.quit();
            return;
        }
        const QByteArray command = QByteArray(line).trimmed();
        if (command == "full")
            window.showFullScreen();
        else if (command == "normal")
            window.showNormal();
        else if (command == "quit")
            app.quit();
        window.activateWindow();
        std::puts("ok");
        std::fflush(stdout);
    });
    std::printf("ready %llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);
    return app.exec();
}
