#include "camera/gphoto2/event_translator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = Gp2Event::Kind;

Gp2Event event(Kind kind, const std::string& text = "") {
  Gp2Event e;
  e.kind = kind;
  (kind == Kind::kFileAdded ? e.name : e.text) = text;
  return e;
}
Gp2Event text(const std::string& text) { return event(Kind::kUnknown, text); }
Gp2Event file(const std::string& name) { return event(Kind::kFileAdded, name); }
Gp2Event done() { return event(Kind::kCaptureComplete); }

// The SDK events of a sequence, one line each: "state 0x302 1", "object 0x204 A.JPG", ...
std::string run(EventTranslator* translator, const std::vector<Gp2Event>& events) {
  std::string out;
  char line[128];
  for (const Gp2Event& event : events) {
    for (const SdkEvent& sdk : translator->translate(event)) {
      if (sdk.kind == SdkEvent::Kind::kObject) {
        snprintf(line, sizeof line, "object 0x%x %s\n", sdk.event, sdk.name.c_str());
      } else if (sdk.kind == SdkEvent::Kind::kState) {
        snprintf(line, sizeof line, "state 0x%x %u\n", sdk.event, sdk.data);
      } else {
        snprintf(line, sizeof line, "property 0x%x 0x%x\n", sdk.event, sdk.property);
      }
      out += line;
    }
  }
  return out;
}

TEST(Gphoto2EventTranslatorTest, EachShotFreesOnceAndCompletesOnceInOrder) {
  EventTranslator translator;
  translator.onTrigger();
  // RAW + JPEG, completion reported twice (event and status text): one free, one completion.
  EXPECT_EQ(
      "property 0x101 0x40a\nobject 0x204 IMG_0001.CR2\nstate 0x302 1\n"
      "object 0x204 IMG_0001.JPG\nstate 0x302 0\n",
      run(&translator,
          {text("Camera Status 1"), text("PTP Property d11b changed"), file("IMG_0001.CR2"),
           file("IMG_0001.JPG"), done(), text("Camera Status 0")}));
  EXPECT_EQ(0u, translator.openShots());

  translator.onTrigger();
  translator.onTrigger();
  EXPECT_EQ(2u, translator.openShots());
  EXPECT_EQ(
      "object 0x204 A.JPG\nstate 0x302 1\nstate 0x302 0\n"
      "object 0x204 B.JPG\nstate 0x302 1\nstate 0x302 0\n",
      run(&translator, {file("A.JPG"), done(), file("B.JPG"), done()}));
  // No shot in flight (shutter button on the body): files are only new items.
  EXPECT_EQ("object 0x204 C.JPG\n", run(&translator, {file("C.JPG"), done()}));
}

TEST(Gphoto2EventTranslatorTest, LateFileOfACompletedShotDoesNotFreeTheNextShot) {
  EventTranslator translator;
  translator.onTrigger();
  EXPECT_EQ("state 0x302 1\nstate 0x302 0\n",
            run(&translator, {text("Camera Status 1"), text("Camera Status 0")}));
  translator.onTrigger();
  EXPECT_EQ("object 0x204 IMG_0001.JPG\n", run(&translator, {file("IMG_0001.JPG")}));
  EXPECT_EQ("object 0x204 IMG_0002.JPG\nstate 0x302 1\nstate 0x302 0\n",
            run(&translator, {file("IMG_0002.JPG"), done()}));
}

TEST(Gphoto2EventTranslatorTest, PropertyTextsMapOnlyForKnownProperties) {
  EventTranslator translator;
  EXPECT_EQ(
      "property 0x101 0x406\nproperty 0x101 0x405\nproperty 0x101 0x8\nproperty 0x101 0x100\n",
      run(&translator,
          {text("PTP Property d102 changed"), text("PTP Property d101 changed, \"5.6\""),
           text("PTP Property d111 changed"), text("PTP Property d120 changed"),
           text("PTP Property d1d5 changed"), text("PTP Property zz changed"),
           text("PTP Property d102"), text("Button 4"), text("")}));
}

}  // namespace
