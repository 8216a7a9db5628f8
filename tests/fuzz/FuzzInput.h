#pragma once
// The bytes libFuzzer hands a target, taken apart from the front: single choices and the
// chunks that a scripted partner on the line answers with.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

// A property of the code under test that the input broke: libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                    \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_rest(data, size) {}

    bool empty() const { return m_rest.empty(); }
    std::uint8_t byte() {
        if (m_rest.empty())
            return 0;
        const std::uint8_t b = m_rest.front();
        m_rest = m_rest.subspan(1);
        return b;
    }
    // A length byte and that many bytes (fewer when the input ends first).
    std::vector<std::uint8_t> chunk() {
        const std::size_t n = std::min<std::size_t>(byte(), m_rest.size());
        std::vector<std::uint8_t> out(m_rest.begin(), m_rest.begin() + std::ptrdiff_t(n));
        m_rest = m_rest.subspan(n);
        return out;
    }
    std::span<const std::uint8_t> rest() const { return m_rest; }

private:
    std::span<const std::uint8_t> m_rest;
};
