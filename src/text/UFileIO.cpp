#include "text/UFileIO.h"

#include "text/jconvert.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

std::string Shown(const std::string& path, const std::string& shownName) {
    return shownName.empty() ? path : shownName;
}

} // namespace

bool IsPlainFile(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string DisplayPath(const std::string& path) {
    std::string shown = Utf8ToShiftJis(path);
    return shown.empty() ? path : shown;
}

std::optional<std::string> ReadWholeFileIfExists(const std::string& path,
                                                 const std::string& shownName) {
    const std::string shown = Shown(path, shownName);
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        throw EFileError("cannot read " + shown + ": " + std::strerror(errno));
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        close(fd);
        // A pipe or a device could hold the program forever; only plain files are read.
        throw EFileError("cannot read " + shown +
                         (folder ? ": it is a folder" : ": it is not a plain file"));
    }
    std::string bytes;
    if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            close(fd);
            throw EFileError("cannot read " + shown + ": " + std::strerror(err));
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return bytes;
}

std::string ReadWholeFile(const std::string& path, const std::string& shownName) {
    std::optional<std::string> bytes = ReadWholeFileIfExists(path, shownName);
    if (!bytes)
        throw EFileError("cannot read " + Shown(path, shownName) + ": " + std::strerror(ENOENT));
    return std::move(*bytes);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes, bool durable,
                         const std::string& shownName) {
    const std::string shown = Shown(path, shownName);
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    // A name the file system refuses is reported before anything is written.
    long nameMax = pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        throw EFileError("cannot write " + shown + ": the file name is longer than " +
                         std::to_string(nameMax) + " bytes, which the file system refuses");

    std::string temp = folder + ".tarnel-XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) throw EFileError("cannot write " + shown + ": " + std::strerror(errno));
    auto fail = [&](int err) {
        close(fd);
        unlink(temp.c_str());
        throw EFileError("cannot write " + shown + ": " + std::strerror(err));
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
        throw EFileError("cannot write " + shown + ": " + std::strerror(err));
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        unlink(temp.c_str());
        throw EFileError("cannot write " + shown + ": " + std::strerror(err));
    }
}

} // namespace tarnel
