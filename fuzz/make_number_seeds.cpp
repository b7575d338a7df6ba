// Writes the number fuzzer's seeds into the folder given: a control byte (bit 0
// UTF-16, the others the decimals) and a number text. Long mantissas and
// exponents, halves for the display patterns, and the reading's odd corners.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_number_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    if (std::system(("mkdir -p '" + dir + "'").c_str()) != 0)
        return 1;
    const std::string z400(400, '0'), z600(600, '0'), z800(800, '0');
    const std::vector<std::string> texts = {
        "1" + z400, "-1" + z400, "0.5" + z600, "0.5" + z600 + "1", "0." + z400 + "25", "1" + z600 + "e-600",
        "9007199254740993" + z800 + "1", "9007199254740993." + z800, "1e" + std::string(30, '9'),
        "1e-" + std::string(30, '9'), "1e" + z400 + "2", "0.5" + z600 + " 0 1e 1", std::string(700, '3') + "e-699",
        "2.5", "12.5", "0.125", "1.25", "-99.5", "9.5", "0.0078125", "262145", "1 2", "1D3", ".5", "5.", "+7", "-0",
        "1e-400", "4.9e-324", "2.4703282292062328e-324", "1.7976931348623158e308", "1.7976931348623159e308",
        "3.5abc", "1E", "2E+x", "Error", "1.2.3"};
    int n = 0;
    for (const std::string &t : texts) {
        for (unsigned char control : {0, 2, 4, 6, 8, 1}) {
            std::string bytes(1, char(control));
            if (control & 1) {
                for (char c : t) {
                    bytes += c;
                    bytes += '\0';
                }
            } else {
                bytes += t;
            }
            char name[32];
            std::snprintf(name, sizeof name, "/seed-%03d", n++);
            FILE *f = std::fopen((dir + name).c_str(), "wb");
            if (!f)
                return 1;
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
