#include "TileFiles.h"

#include <stdexcept>

#include "formats/BmpWriter.h"
#include "support/TestSupport.h"

namespace test {

std::string MakeTileFile(const std::string& name, int width, int height) {
  CDibImage image;
  Fill(image, width, height, Pattern);
  const std::string path = ScratchPath(name);
  if (WriteBmpFile(image, test::Target(path), nullptr) != SaveResult::kSaved)
    throw std::runtime_error("cannot write " + path);
  return path;
}

}  // namespace test
