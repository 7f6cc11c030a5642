// A port whose replies a test scripts and whose calls it inspects.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "hollet/CxBasePort.h"

class FakePort : public CxBasePort {
public:
    int IsOpen() override
    {
        calls.push_back("IsOpen");
        return open;
    }
    unsigned long Write(void* data, unsigned long length) override
    {
        calls.push_back("Write(" + std::to_string(length) + ")");
        const auto* bytes = static_cast<const unsigned char*>(data);
        written.assign(bytes, bytes + length);
        return writeFails ? 0 : length;
    }
    unsigned long Read(void* buffer, unsigned long length) override
    {
        calls.push_back("Read(" + std::to_string(length) + ")");
        if (readDelay.count()) std::this_thread::sleep_for(readDelay);
        std::copy(reply.begin(), reply.end(), static_cast<unsigned char*>(buffer));
        return reply.size();
    }
    int SetTimeouts(unsigned long total, unsigned long interval) override
    {
        calls.push_back("SetTimeouts(" + std::to_string(total) + "," + std::to_string(interval) +
                        ")");
        return 1;
    }
    int Purge() override
    {
        calls.push_back("Purge");
        return 1;
    }
    void Close() override { open = 0; }

    int open = 1;
    bool writeFails = false;
    std::vector<unsigned char> reply;
    std::chrono::milliseconds readDelay{0};
    std::vector<std::string> calls;
    std::vector<unsigned char> written;
};
