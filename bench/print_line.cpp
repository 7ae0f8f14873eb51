// SPDX-License-Identifier: Apache-2.0
// The smallest C++ program that prints one line: what starting any process
// costs, the reference for vendrill-cli's start-up in cli_bench.

#include <cstdio>

int main() {
    std::puts("one line");
    return 0;
}
