// SPDX-License-Identifier: Apache-2.0
#include <cstdio>

#include "cli/command.h"

int main(int argc, char** argv) {
    return vendrill::cli::run_cli(argc, argv, stdin, stdout, stderr);
}
