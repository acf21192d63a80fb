// Saves the terminal's files over and over, version 0 and 1 in turn, until
// it is killed; the crash test kills it at random moments.
#include <cstdio>

#include <QCoreApplication>

#include "crashsave_files.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvra-crashsave FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int version = 0;; version ^= 1) {
        if (!crashsave::SaveAll(folder, version)) {
            std::fprintf(stderr, "kelvra-crashsave: a save failed\n");
            return 1;
        }
        std::fputs("saved\n", stdout);
        std::fflush(stdout);
    }
}
