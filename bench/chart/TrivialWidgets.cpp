// The yardstick of the start-up benchmark: a trivial Qt Widgets program that shows one
// main window with a label.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Trivial");
    window.setCentralWidget(new QLabel("Hello"));
    window.resize(800, 600);
    window.show();
    return application.exec();
}
