#include "support/mutagen.h"

#include <sstream>

#include "support/shell.h"

namespace parvex::test {

namespace {

// The Python that has mutagen: Debian's own, else the first on the PATH; empty when neither has it.
const std::string& PythonWithMutagen() {
    static const std::string python = [] {
        for (const char* candidate : {"/usr/bin/python3", "python3"}) {
            int status = 0;
            RunCommand(std::string(candidate) + " -c 'import mutagen' >/dev/null 2>&1", status);
            if (status == 0) return std::string(candidate);
        }
        return std::string();
    }();
    return python;
}

std::optional<std::string> RunPython(const std::string& script, const std::vector<std::string>& args) {
    if (PythonWithMutagen().empty()) return std::nullopt;
    std::string command = PythonWithMutagen() + " -c " + ShellQuote(script);
    for (const std::string& arg : args) command += " " + ShellQuote(arg);
    int status = 0;
    std::string out = RunCommand(command + " 2>&1", status);
    if (status != 0) return "python failed: " + out;
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

std::optional<std::vector<std::string>> MutagenComments(const std::string& oggFile) {
    const std::optional<std::string> out = RunPython(R"(
import sys, mutagen
for name, value in mutagen.File(sys.argv[1]).tags:
    print(name + "=" + value)
)",
                                                     {oggFile});
    if (!out) return std::nullopt;
    return Lines(*out);
}

std::optional<std::vector<std::string>> MutagenPictures(const std::string& oggFile,
                                                        const std::string& compareWith) {
    const std::optional<std::string> out = RunPython(R"(
import base64, sys
from mutagen.flac import Picture
from mutagen.oggvorbis import OggVorbis
same = open(sys.argv[2], "rb").read() if sys.argv[2] else None
for value in OggVorbis(sys.argv[1]).get("metadata_block_picture", []):
    p = Picture(base64.b64decode(value))
    print(p.type, p.mime, "%dx%d" % (p.width, p.height), p.depth, len(p.data), "same" if p.data == same else "")
)",
                                                     {oggFile, compareWith});
    if (!out) return std::nullopt;
    std::vector<std::string> lines;
    std::istringstream in(*out);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool MutagenAddPicture(const std::string& oggFile, const std::string& image, const std::string& mime,
                       int type, int width, int height) {
    const std::optional<std::string> out = RunPython(
        R"(
import base64, sys
from mutagen.flac import Picture
from mutagen.oggvorbis import OggVorbis
p = Picture()
p.type, p.mime, p.width, p.height, p.depth = int(sys.argv[4]), sys.argv[3], int(sys.argv[5]), int(sys.argv[6]), 24
p.data = open(sys.argv[2], "rb").read()
f = OggVorbis(sys.argv[1])
f["metadata_block_picture"] = f.get("metadata_block_picture", []) + [base64.b64encode(p.write()).decode()]
f.save()
print("ok")
)",
        {oggFile, image, mime, std::to_string(type), std::to_string(width), std::to_string(height)});
    return out == "ok\n";
}

}  // namespace parvex::test
