#pragma once

// The level of a log message. Kept a plain int: the log must accept (and drop) values outside the
// three known levels, and the numbers are those of the log file's sections.
typedef int LogLevel;

const LogLevel LOG_INFORMATION = 0;
const LogLevel LOG_WARNING = 1;
const LogLevel LOG_ERROR = 2;
