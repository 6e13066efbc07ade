#include "MainWindow.h"

// The Textures menu's commands; until they are built each menu item is there and its command leaves
// everything as it is.

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
