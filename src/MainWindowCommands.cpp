#include "MainWindow.h"

// The archive and texture commands open dialogs that are built with their own windows; until then
// each menu item is there and its command leaves everything as it is.

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

void MainWindow::addTextures()
{
}

void MainWindow::extractTextures()
{
}

void MainWindow::extractAllTextures()
{
}

void MainWindow::deleteTextures()
{
}

void MainWindow::replaceTextures()
{
}

void MainWindow::generateMipMaps()
{
}

void MainWindow::showPreferences()
{
}

void MainWindow::checkSaveChanges(int)
{
}

void MainWindow::OnMenuAbout(wxCommandEvent& event)
{
    event.Skip();
}
