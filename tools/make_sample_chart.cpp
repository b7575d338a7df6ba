// Writes the sample chart picture: make_sample_chart OUT.png [ANGLE]
#include "tools/sample_chart.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_sample_chart OUT.png [ANGLE]\n");
        return 2;
    }
    const double angle = argc > 2 ? std::atof(argv[2]) : 0;
    if (!orv::sample::render(angle).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
