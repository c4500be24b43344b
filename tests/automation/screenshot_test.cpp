// Screenshots: what is saved is a valid PNG of what the screen shows.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

#include "tests/automation/automation.h"

namespace automation {
namespace {

unsigned long U32(const std::string& s, size_t at) {
  return (static_cast<unsigned char>(s[at]) << 24) | (static_cast<unsigned char>(s[at + 1]) << 16) |
         (static_cast<unsigned char>(s[at + 2]) << 8) | static_cast<unsigned char>(s[at + 3]);
}

// Reads back what EncodePng writes, checking every chunk's CRC; rows with
// filter 0 only.
Image DecodePng(const std::string& png) {
  Image image;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::string idat;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    unsigned long length = U32(png, at);
    std::string type = png.substr(at + 4, 4);
    std::string data = png.substr(at + 8, length);
    unsigned long crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), 4 + length);
    EXPECT_EQ(U32(png, at + 8 + length), crc) << type;
    if (type == "IHDR") {
      image.width = U32(data, 0);
      image.height = U32(data, 4);
      EXPECT_EQ(data.substr(8), std::string("\x08\x02\x00\x00\x00", 5));
    } else if (type == "IDAT") {
      idat += data;
    }
    at += 12 + length;
    if (type == "IEND") break;
  }
  EXPECT_EQ(at, png.size());
  size_t row = static_cast<size_t>(image.width) * 3;
  std::string raw((row + 1) * image.height, '\0');
  uLongf rawSize = raw.size();
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&raw[0]), &rawSize, reinterpret_cast<const Bytef*>(idat.data()),
                       idat.size()),
            Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  for (int y = 0; y < image.height; ++y) {
    EXPECT_EQ(raw[y * (row + 1)], '\0');
    image.rgb.insert(image.rgb.end(), raw.begin() + y * (row + 1) + 1, raw.begin() + (y + 1) * (row + 1));
  }
  return image;
}

TEST(PngTest, RoundTripsOddSizes) {
  for (int size : {1, 3, 17, 200}) {
    Image image;
    image.width = size;
    image.height = size / 2 + 1;
    for (int i = 0; i < image.width * image.height * 3; ++i) image.rgb.push_back(static_cast<unsigned char>(i * 7));
    Image back = DecodePng(EncodePng(image));
    EXPECT_EQ(back.width, image.width);
    EXPECT_EQ(back.height, image.height);
    EXPECT_EQ(back.rgb, image.rgb);
  }
  EXPECT_THROW(EncodePng(Image{}), Failure);
  Image broken{2, 2, std::vector<unsigned char>(5)};
  EXPECT_THROW(EncodePng(broken), Failure);
}

TEST(ScreenshotTest, SavesTheWindowAsTheScreenShowsIt) {
  Process fixture = Process::Start(ProgramFolder() + "automation_fixture.exe");
  Window window = fixture.WaitForWindow("Automation Fixture");
  Image shot = CaptureWindow(window);
  RECT outer = window.Rect();
  EXPECT_EQ(shot.width, outer.right - outer.left);
  EXPECT_EQ(shot.height, outer.bottom - outer.top);

  // The fixture paints client pixels 300..339 x 10..49 pure red.
  POINT client{0, 0};
  ClientToScreen(window.Handle(), &client);
  auto pixel = [&](int x, int y) {
    size_t at = (static_cast<size_t>(client.y - outer.top + y) * shot.width + (client.x - outer.left + x)) * 3;
    return std::vector<unsigned char>(shot.rgb.begin() + at, shot.rgb.begin() + at + 3);
  };
  EXPECT_EQ(pixel(320, 30), (std::vector<unsigned char>{255, 0, 0}));
  EXPECT_NE(pixel(360, 30), (std::vector<unsigned char>{255, 0, 0}));

  std::string path = ProgramFolder() + "screenshot_test.png";
  SavePng(shot, path);
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  Image back = DecodePng(bytes.str());
  EXPECT_EQ(back.width, shot.width);
  EXPECT_EQ(back.rgb, shot.rgb);
  file.close();
  DeleteFileA(path.c_str());

  Image all = CaptureProcess(fixture.Id());
  EXPECT_EQ(all.width, shot.width);
  EXPECT_THROW(SavePng(shot, ProgramFolder() + "no\\such\\folder\\x.png"), Failure);
}

}  // namespace
}  // namespace automation
