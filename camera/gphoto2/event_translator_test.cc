#include "camera/gphoto2/event_translator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

Gp2Event unknown(const std::string& text) {
  Gp2Event event;
  event.kind = Gp2Event::Kind::kUnknown;
  event.text = text;
  return event;
}

Gp2Event fileAdded(const std::string& name) {
  Gp2Event event;
  event.kind = Gp2Event::Kind::kFileAdded;
  event.folder = "/store_00020001/DCIM/100CANON";
  event.name = name;
  return event;
}

Gp2Event captureComplete() {
  Gp2Event event;
  event.kind = Gp2Event::Kind::kCaptureComplete;
  return event;
}

// The SDK events of a whole sequence, one line each, e.g. "state 0x302 1" or "object 0x204 A.JPG".
std::string run(EventTranslator* translator, const std::vector<Gp2Event>& events) {
  std::string out;
  char line[128];
  for (const Gp2Event& event : events) {
    for (const SdkEvent& sdk : translator->translate(event)) {
      switch (sdk.kind) {
        case SdkEvent::Kind::kObject:
          snprintf(line, sizeof line, "object 0x%x %s\n", sdk.event, sdk.name.c_str());
          break;
        case SdkEvent::Kind::kState:
          snprintf(line, sizeof line, "state 0x%x %u\n", sdk.event, sdk.data);
          break;
        case SdkEvent::Kind::kProperty:
          snprintf(line, sizeof line, "property 0x%x 0x%x\n", sdk.event, sdk.property);
          break;
      }
      out += line;
    }
  }
  return out;
}

TEST(Gphoto2EventTranslatorTest, EosShotFreesOnFirstFileAndCompletesOnce) {
  EventTranslator translator;
  translator.onTrigger();
  EXPECT_EQ(
      "property 0x101 0x40a\n"
      "object 0x204 IMG_0001.CR2\n"
      "state 0x302 1\n"
      "object 0x204 IMG_0001.JPG\n"
      "state 0x302 0\n",
      run(&translator, {unknown("Camera Status 1"), unknown("PTP Property d11b changed"),
                        fileAdded("IMG_0001.CR2"), fileAdded("IMG_0001.JPG"), captureComplete(),
                        unknown("Camera Status 0")}));
  EXPECT_EQ(0u, translator.openShots());
}

TEST(Gphoto2EventTranslatorTest, CompletionBeforeTheFileStillFreesOnceAndTheLateFileFreesNothing) {
  EventTranslator translator;
  translator.onTrigger();
  EXPECT_EQ("state 0x302 1\nstate 0x302 0\n",
            run(&translator, {unknown("Camera Status 1"), unknown("Camera Status 0")}));
  translator.onTrigger();
  // The first shot's image arrives after the second trigger: it must not free the second shot.
  EXPECT_EQ("object 0x204 IMG_0001.JPG\n", run(&translator, {fileAdded("IMG_0001.JPG")}));
  EXPECT_EQ("object 0x204 IMG_0002.JPG\nstate 0x302 1\nstate 0x302 0\n",
            run(&translator, {fileAdded("IMG_0002.JPG"), captureComplete()}));
}

TEST(Gphoto2EventTranslatorTest, ShotsInFlightCompleteInOrder) {
  EventTranslator translator;
  translator.onTrigger();
  translator.onTrigger();
  EXPECT_EQ(2u, translator.openShots());
  EXPECT_EQ(
      "object 0x204 A.JPG\nstate 0x302 1\nstate 0x302 0\n"
      "object 0x204 B.JPG\nstate 0x302 1\nstate 0x302 0\n",
      run(&translator,
          {fileAdded("A.JPG"), captureComplete(), fileAdded("B.JPG"), captureComplete()}));
  // Without a shot in flight (the shutter button on the body), files are only new items.
  EXPECT_EQ("object 0x204 C.JPG\n", run(&translator, {fileAdded("C.JPG"), captureComplete()}));
}

TEST(Gphoto2EventTranslatorTest, PropertyTextsMapWhereTheProgramKnowsTheProperty) {
  EventTranslator translator;
  EXPECT_EQ(
      "property 0x101 0x406\nproperty 0x101 0x405\nproperty 0x101 0x8\nproperty 0x101 0x100\n",
      run(&translator,
          {unknown("PTP Property d102 changed"), unknown("PTP Property d101 changed, \"5.6\""),
           unknown("PTP Property d111 changed"), unknown("PTP Property d120 changed"),
           unknown("PTP Property d1d5 changed"), unknown("PTP Property zz changed"),
           unknown("PTP Property d102"), unknown("Button 4"), unknown("")}));
}

}  // namespace
