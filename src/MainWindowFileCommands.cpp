#include "MainWindow.h"

// The File menu's archive commands and the unsaved-changes check; until they are built each menu item
// is there and its command leaves everything as it is.

void MainWindow::newFile()
{
}

void MainWindow::openFile()
{
}

void MainWindow::closeFiles()
{
}

void MainWindow::closeAllFiles()
{
}

void MainWindow::saveFile()
{
}

void MainWindow::saveFileAs()
{
}

void MainWindow::reloadFile()
{
}

void MainWindow::openRecentFile(int)
{
}

void MainWindow::checkSaveChanges(int)
{
}
