#include "storage/UPageFile.h"

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

// How a file is named in messages (display form): its page name when it has one, and its
// path, which the file system gives as UTF-8.
std::string Describe(const std::string& path) {
    std::string shown = Utf8ToShiftJis(path);
    if (shown.empty()) shown = path;
    std::string name = DecodeFileName(path, false);
    return name.empty() ? shown : "page \"" + name + "\" (" + shown + ")";
}

std::string ReadAll(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EPageFileError("cannot read " + Describe(path) + ": " + std::strerror(errno));
    std::string bytes;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        throw EPageFileError("cannot read " + Describe(path) + ": it is a folder");
    }
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            close(fd);
            throw EPageFileError("cannot read " + Describe(path) + ": " + std::strerror(err));
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return bytes;
}

} // namespace

// Every line ending (CR LF, CR or LF) becomes LF and a non-empty text ends with one:
// splitting into lines and joining them with LF, in one pass.
std::string LfLines(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + 1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            text += '\n';
        } else {
            text += c;
        }
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

std::string NormalisePageText(std::string_view bytes, const PageReadOptions& options) {
    std::size_t nul = bytes.find('\0'); // a NUL ends the text
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::string text = LfLines(bytes);

    if (options.utf8Text)
        return ConvertJapaneseEncoding(Utf8ToShiftJis(text), JapaneseEncoding::EucJp);
    if (options.readCharCode == ReadCharCode::Automatic)
        return ConvertJapaneseEncoding(text, JapaneseEncoding::EucJp);
    return text;
}

std::string ReadFileBytes(const std::string& path) {
    return ReadAll(path);
}

std::string ReadPageText(const std::string& path, const PageReadOptions& options) {
    return NormalisePageText(ReadAll(path), options);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, bool durable) {
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    // A name the file system refuses is reported before anything is written.
    long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        throw EPageFileError("cannot write " + Describe(path) + ": the file name is longer than " +
                             std::to_string(nameMax) + " bytes, which the file system refuses");

    std::string temp = folder + ".tarnel-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0)
        throw EPageFileError("cannot write " + Describe(path) + ": " + std::strerror(errno));
    auto fail = [&](int err) {
        close(fd);
        unlink(temp.c_str());
        throw EPageFileError("cannot write " + Describe(path) + ": " + std::strerror(err));
    };
    // Keep the permissions of the file being replaced; new files get the usual ones.
    struct stat st;
    mode_t mode = 0666;
    if (stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(fd, mode);
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (durable && fsync(fd) != 0) fail(errno);
    if (close(fd) != 0) {
        int err = errno;
        unlink(temp.c_str());
        throw EPageFileError("cannot write " + Describe(path) + ": " + std::strerror(err));
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        unlink(temp.c_str());
        throw EPageFileError("cannot write " + Describe(path) + ": " + std::strerror(err));
    }
}

void WritePageText(const std::string& path, std::string_view displayText) {
    WriteFileAtomically(path, LfLines(ShiftJisToEucJp(displayText)));
}

} // namespace tarnel
