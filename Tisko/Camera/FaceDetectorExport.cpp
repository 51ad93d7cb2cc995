// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the face detector as dlib ships it in its plain serialised form, as the bytes of a
// C++ array, for FaceDetector.cpp to include. Run once at build time: the shipped form is
// compressed in a way that costs most of a second of CPU to unpack, the plain one a few
// milliseconds to read.
//   tisko_face_detector_export OUTPUT
#include <dlib/image_processing/frontal_face_detector.h>

#include <cstdio>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    std::ostringstream plain;
    dlib::serialize(dlib::get_frontal_face_detector(), plain);
    const std::string bytes = plain.str();
    const std::string part = std::string(argv[1]) + ".part";
    std::FILE* out = std::fopen(part.c_str(), "w");
    if (!out) {
        std::perror(part.c_str());
        return 1;
    }
    std::fprintf(out, "// Made by tisko_face_detector_export; do not edit.\n");
    std::fprintf(out, "const unsigned char shippedDetectorBytes[%zu] = {", bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        std::fprintf(out, "%s%u,", i % 24 == 0 ? "\n" : "",
                     static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
    std::fprintf(out, "\n};\n");
    if (std::fclose(out) != 0 || std::rename(part.c_str(), argv[1]) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
