// A temporary directory for one test, removed with everything in it when
// the object goes.
#ifndef KTA_TESTS_CIM_SERVER_MAIN_TEMPHOME_H
#define KTA_TESTS_CIM_SERVER_MAIN_TEMPHOME_H

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

class TempHome
{
public:
    TempHome()
    {
        char pattern[] = "/tmp/kta-cimserver-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        _path = pattern;
    }
    ~TempHome()
    {
        std::string command = "rm -rf '" + _path + "'";
        if (std::system(command.c_str()) != 0)
        {
            // Nothing sensible to do in a destructor.
        }
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& path() const { return _path; }
    std::string file(const std::string& name) const
    {
        return _path + "/" + name;
    }

    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(file(name)) << text;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name));
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }
    bool exists(const std::string& name) const
    {
        struct stat st;
        return ::lstat(file(name).c_str(), &st) == 0;
    }
    mode_t mode(const std::string& name) const
    {
        struct stat st;
        if (::stat(file(name).c_str(), &st) != 0)
            return 0;
        return st.st_mode & 07777;
    }
    void mkdir(const std::string& name) const
    {
        ::mkdir(file(name).c_str(), 0755);
    }

private:
    std::string _path;
};

#endif
