#pragma once

#include "store/activity_log_writer.h"

#include <QStringList>

#include <chrono>
#include <memory>

// A disk for the log writer as slow as the test wants: each write waits until the test
// opens the gate, then writes the opening as the program does (store::logOpening) and
// records its entry. A write left waiting keeps what it needs alive after this object.
class GatedLogWrite
{
public:
    GatedLogWrite();

    store::ActivityLogWriter::Write write() const;
    void open();
    // Wait (at most 10 s) until count writes have begun, or have been made.
    bool waitUntilBegun(int count);
    bool waitUntilWritten(int count);
    // The entries written, in the order they were.
    QStringList written() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// A disk that takes perOpening before each write, as a share far away would; the write is
// then the program's own.
store::ActivityLogWriter::Write slowLogWrite(std::chrono::milliseconds perOpening);
