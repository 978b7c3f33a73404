#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// Small catalogues written to temporary files for the loader tests.
namespace corviktest {

inline std::string CatalogueXml(const std::string& version, const std::string& body)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CONTACTS>\n";
    if (!version.empty())
        xml += "<VRD_XML_VERSION>" + version + "</VRD_XML_VERSION>\n";
    xml += R"(<VRD_UNIT_LIST>
  <UNIT_LIST type="UNIT"><UNIT_ID>KPA</UNIT_ID><UNIT_DISP>kPa</UNIT_DISP><UNIT_NAME>kilopascal</UNIT_NAME></UNIT_LIST>
  <UNIT_LIST type="UNIT"><UNIT_ID>DEGC</UNIT_ID><UNIT_DISP>°C</UNIT_DISP><UNIT_NAME>Celsius</UNIT_NAME></UNIT_LIST>
  <UNIT_LIST type="UNIT"><UNIT_ID>DEGF</UNIT_ID><UNIT_DISP>°F</UNIT_DISP><UNIT_NAME>Fahrenheit</UNIT_NAME></UNIT_LIST>
  <UNIT_LIST type="UNIT"><UNIT_ID>DEGC</UNIT_ID><UNIT_DISP>degC</UNIT_DISP><UNIT_NAME>Celsius 2</UNIT_NAME></UNIT_LIST>
  <UNIT_LIST type="OTHER"><UNIT_ID>X</UNIT_ID></UNIT_LIST>
</VRD_UNIT_LIST>
)";
    xml += body;
    xml += "</CONTACTS>\n";
    return xml;
}

// A temporary file removed when the object goes.
class TempFile {
public:
    explicit TempFile(const std::string& content, const char* suffix = ".xml")
    {
        static int counter = 0;
        path_ = (std::filesystem::temp_directory_path() /
                 ("corvik_sensor_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + suffix))
                    .string();
        std::ofstream out(path_, std::ios::binary);
        out << content;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::string ProjectCataloguePath()
{
    return std::string(CORVIK_TEST_SOURCE_DIR) + "/resources/sensor_korean.xml";
}

}  // namespace corviktest
