#include "Support/StderrCapture.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

StderrCapture::StderrCapture(const std::string& path) : m_path(path)
{
    std::fflush(stderr);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0)
        return;
    m_savedStderr = dup(2);
    dup2(file, 2);
    close(file);
}

StderrCapture::~StderrCapture()
{
    restore();
}

std::string StderrCapture::text()
{
    restore();
    std::ifstream file(m_path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void StderrCapture::restore()
{
    if (m_savedStderr < 0)
        return;
    std::fflush(stderr);
    dup2(m_savedStderr, 2);
    close(m_savedStderr);
    m_savedStderr = -1;
}
