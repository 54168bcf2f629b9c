// SPDX-License-Identifier: MIT
// The smallest Qt Widgets program with a window and some text: the yardstick for start-up time and memory.
#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Qt"));
    label.resize(568, 354);
    label.show();
    return app.exec();
}
