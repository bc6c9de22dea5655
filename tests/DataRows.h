#pragma once

#include <QTest>

// One row of a data-driven test, its values in column order: keeps long
// tables one row to a line.
template <typename... Values> void addTestRow(const char* name, Values... values)
{
    (QTest::newRow(name) << ... << values);
}
