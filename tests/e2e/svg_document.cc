#include "tests/e2e/svg_document.h"

#include <expat.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "check/text_width.h"

namespace e2e {
namespace {

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* doc = static_cast<SvgDocument*>(data);
  Element e;
  e.name = name;
  for (size_t i = 0; attributes[i] != nullptr; i += 2) {
    e.attributes[attributes[i]] = attributes[i + 1];
  }
  for (size_t id : doc->open) {
    const Element& outer = doc->elements[id];
    if (outer.name != "g") continue;
    e.groupIds.push_back(id);
    const auto group = outer.attributes.find("class");
    e.groups.push_back(group == outer.attributes.end() ? "" : group->second);
  }
  doc->open.push_back(doc->elements.size());
  doc->elements.push_back(e);
}

void XMLCALL endElement(void* data, const XML_Char* name) {
  auto* doc = static_cast<SvgDocument*>(data);
  if (std::string(name) == "title" && doc->open.size() >= 2) {
    doc->elements[doc->open[doc->open.size() - 2]].title = doc->elements[doc->open.back()].text;
  }
  doc->open.pop_back();
}

void XMLCALL characters(void* data, const XML_Char* text, int length) {
  auto* doc = static_cast<SvgDocument*>(data);
  if (!doc->open.empty()) doc->elements[doc->open.back()].text.append(text, length);
}

}  // namespace

double Element::number(const std::string& attribute) const {
  const auto it = attributes.find(attribute);
  return it == attributes.end() ? 0.0 : std::strtod(it->second.c_str(), nullptr);
}

std::vector<std::vector<const Element*>> SvgDocument::groupsOf(const std::string& className) const {
  std::vector<std::vector<const Element*>> result;
  for (size_t g = 0; g < elements.size(); ++g) {
    const Element& group = elements[g];
    if (group.name != "g" || group.attributes.count("class") == 0 ||
        group.attributes.at("class") != className) {
      continue;
    }
    result.emplace_back();
    for (const Element& e : elements) {
      for (size_t id : e.groupIds) {
        if (id == g) result.back().push_back(&e);
      }
    }
  }
  return result;
}

std::vector<const Element*> SvgDocument::group(const std::string& className, size_t index) const {
  std::vector<std::vector<const Element*>> groups = groupsOf(className);
  EXPECT_LT(index, groups.size()) << "no group " << index << " of class " << className;
  return index < groups.size() ? groups[index] : std::vector<const Element*>();
}

const Element* SvgDocument::textStarting(const std::string& start) const {
  for (const Element& e : elements) {
    if (e.name == "text" && e.text.compare(0, start.size(), start) == 0) return &e;
  }
  return nullptr;
}

SvgDocument runPlot(RunOptions options, RunResult* run) {
  char dir[] = "/tmp/quorvale_plot_XXXXXX";
  EXPECT_NE(nullptr, mkdtemp(dir));
  const std::string svgPath = std::string(dir) + "/plan.svg";
  options.arguments.insert(options.arguments.end(), {"-plot", svgPath});
  *run = runQuorvale(options);
  std::ifstream in(svgPath);
  std::ostringstream svg;
  svg << in.rdbuf();
  unlink(svgPath.c_str());
  rmdir(dir);
  return parseSvg(svg.str());
}

SvgDocument parseSvg(const std::string& xml) {
  SvgDocument doc;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &doc);
  XML_SetElementHandler(parser, startElement, endElement);
  XML_SetCharacterDataHandler(parser, characters);
  const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
  EXPECT_TRUE(ok) << XML_ErrorString(XML_GetErrorCode(parser)) << " at line "
                  << XML_GetCurrentLineNumber(parser);
  XML_ParserFree(parser);
  return doc;
}

Box textBox(const Element& text) {
  const double size = text.number("font-size");
  const bool bold = text.attributes.count("font-weight") != 0;
  const double width = textWidth(text.text, size, bold);
  double left = text.number("x");
  const auto anchor = text.attributes.find("text-anchor");
  if (anchor != text.attributes.end() && anchor->second == "middle") left -= width / 2;
  if (anchor != text.attributes.end() && anchor->second == "end") left -= width;
  // DejaVu Sans rises 0.76 em above the baseline for capitals and digits and descends 0.24 em.
  const double baseline = text.number("y");
  return Box{left, baseline - 0.76 * size, left + width, baseline + 0.24 * size};
}

}  // namespace e2e
