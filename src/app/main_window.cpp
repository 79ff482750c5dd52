#include "app/main_window.h"

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("The Kavora for Windows v1.5"));
    setGeometry(10, 5, 600, 550);
}
