#pragma once

#include <string>

// Receives every message the log keeps, one operation per level. A listener stays registered until
// MessageLog::removeListener takes it out, so it must outlive every log call until then.
class LogListener
{
public:
    LogListener() = default;
    virtual ~LogListener() = default;

    virtual void information(const std::string& message) = 0;
    virtual void warning(const std::string& message) = 0;
    virtual void error(const std::string& message) = 0;

    // Set by MessageLog::addListener; unset (0) before registration.
    int m_listenerId = 0;
};
