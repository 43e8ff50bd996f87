// Keeps every test program away from the desktop of the person who runs it. Before anything of Qt
// starts (this runs while the program's static objects are made), the process gets folders of its own
// for settings, data, caches and runtime files, a sound server address where no server listens, an
// ALSA without sound cards and a session bus that is not there. A test that wants something else sets
// it itself. Linked into every test program by dialoon_add_test; a test program started by another
// one keeps the folders of the first.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kMarker = "DIALOON_TEST_ISOLATION";

class TestIsolation
{
public:
    TestIsolation()
    {
        if (const char* inherited = std::getenv(kMarker); inherited != nullptr && *inherited != '\0')
            return;
        std::error_code error;
        std::filesystem::path temp = std::filesystem::temp_directory_path(error);
        if (error)
            temp = "/tmp";
        std::string root = (temp / "dialoon-test-XXXXXX").string();
        if (::mkdtemp(root.data()) == nullptr)
            fail("cannot make a folder of its own in " + temp.string());
        root_ = root;

        const struct
        {
            const char* variable;
            const char* folder;
        } folders[] = {
            {"HOME", "home"},
            {"XDG_CONFIG_HOME", "config"},
            {"XDG_DATA_HOME", "data"},
            {"XDG_CACHE_HOME", "cache"},
            {"XDG_STATE_HOME", "state"},
            {"XDG_RUNTIME_DIR", "runtime"},
        };
        for (const auto& [variable, folder] : folders) {
            const std::string path = root_ + '/' + folder;
            if (::mkdir(path.c_str(), 0700) != 0)
                fail("cannot make " + path);
            ::setenv(variable, path.c_str(), 1);
        }
        const std::string alsaConfig = root_ + "/alsa.conf";
        std::ofstream(alsaConfig).flush();
        ::setenv("PULSE_SERVER", ("unix:" + root_ + "/runtime/no-sound-server").c_str(), 1);
        ::setenv("ALSA_CONFIG_PATH", alsaConfig.c_str(), 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + root_ + "/runtime/no-session-bus").c_str(), 1);
        ::setenv(kMarker, root_.c_str(), 1);
    }

    ~TestIsolation()
    {
        if (root_.empty())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    TestIsolation(const TestIsolation&) = delete;
    TestIsolation& operator=(const TestIsolation&) = delete;

private:
    [[noreturn]] static void fail(const std::string& what)
    {
        std::fprintf(stderr, "test isolation: %s (%s)\n", what.c_str(), std::strerror(errno));
        std::exit(EXIT_FAILURE);
    }

    std::string root_;
};

const TestIsolation isolation;

} // namespace
