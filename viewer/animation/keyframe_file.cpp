#include "viewer/animation/keyframe_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "core/frame_size.h"
#include "core/staged_file.h"
#include "core/view_value.h"

namespace lumetrix::animation {
namespace {

constexpr double kMaxFps = 120;
constexpr int kMinSide = 2;  // an MP4 frame has even sides

bool Whole(const QJsonValue& v, double low, double high, int& out) {
  if (!v.isDouble()) return false;
  const double d = v.toDouble();
  if (!std::isfinite(d) || d != std::floor(d) || d < low || d > high) return false;
  out = static_cast<int>(d);
  return true;
}

// `count` numbers from low to high: a plain number for a count of 1, else an array of `count`
// (of 1 to `count` when `partial`). The numbers read, or 0 when they do not fit.
qsizetype Numbers(const QJsonValue& v, qsizetype count, double low, double high, double* out, bool partial = false) {
  const auto read = [&](const QJsonValue& x, double& d) {
    d = x.toDouble();
    return x.isDouble() && d >= low && d <= high;
  };
  if (count == 1) return read(v, out[0]) ? 1 : 0;
  const QJsonArray a = v.toArray();
  if (!v.isArray() || a.size() > count || a.size() < (partial ? 1 : count)) return 0;
  for (qsizetype i = 0; i < a.size(); ++i)
    if (!read(a[i], out[i])) return 0;
  return a.size();
}

std::string Expected(const KeyProperty& p) {
  if (p.Form) return p.Form;
  if (p.Text == KeyText::Flag) return "true or false";
  if (p.Components == 3) return "[r, g, b] of finite numbers";
  return "a finite number within +-1e6";
}

// Reads one property value into `view`; "" or what is wrong with the value.
std::string ReadProperty(const KeyProperty& p, const QJsonValue& v, ViewState& view) {
  if (p.Text == KeyText::Flag) {
    if (!v.isBool()) return " must be " + Expected(p);
    p.Set(view, 0, v.toBool() ? 1.0f : 0.0f);
    return "";
  }
  try {
    if (p.Text == KeyText::Word) {
      // Anything but a text is no word either: the message lists the words.
      p.Set(view, 0, p.FromWord(v.isString() ? v.toString().toStdString() : std::string()));
      return "";
    }
    double x[kIsoChannels];  // the most components a property has
    const qsizetype given = Numbers(v, p.Components, -p.Limit, p.Limit, x, p.Partial);
    if (given == 0) return " must be " + Expected(p);
    for (qsizetype i = 0; i < given; ++i) p.Set(view, static_cast<int>(i), static_cast<float>(x[i]));
    if (p.Check) p.Check(view);  // on the stored floats: 1e-50 is 0 there
  } catch (const InvalidViewValue& e) {
    return std::string(": ") + e.what();
  }
  return "";
}

// "Channel1".."Channel8": the channel's index from 0, else -1.
int ChannelIndex(const std::string& name) {
  constexpr std::string_view kPrefix = "Channel";
  if (name.size() != kPrefix.size() + 1 || name.compare(0, kPrefix.size(), kPrefix) != 0) return -1;
  const int n = name.back() - '0';
  return n >= 1 && n <= kMaxKeyChannels ? n - 1 : -1;
}

// Reads {"Visible": .., "Color": [r, g, b], "Range": [min, max], "Gamma": ..} into `key`; "" or
// what is wrong, naming the member.
std::string ReadChannel(const QJsonValue& v, ChannelKey& key) {
  if (!v.isObject()) return " must be an object such as {\"Visible\": true, \"Range\": [0, 4095]}";
  const QJsonObject o = v.toObject();
  for (auto it = o.begin(); it != o.end(); ++it) {
    const QString name = it.key();
    if (name == "Visible") {
      if (!it->isBool()) return ".Visible must be true or false";
      key.Visible = it->toBool();
      key.Given |= ChannelKey::kVisible;
    } else if (name == "Color") {
      if (!Numbers(*it, 3, 0, 255, key.Color.data())) return ".Color must be [r, g, b], each from 0 to 255";
      key.Given |= ChannelKey::kColor;
    } else if (name == "Range") {
      double r[2];
      if (!Numbers(*it, 2, -kMaxKeyValue, kMaxKeyValue, r) || !(r[1] > r[0]))
        return ".Range must be [min, max], finite numbers within +-1e6 with max above min";
      key.Min = r[0], key.Max = r[1];
      key.Given |= ChannelKey::kRange;
    } else if (name == "Gamma") {
      if (!Numbers(*it, 1, 0, kMaxKeyValue, &key.Gamma) || !(key.Gamma > 0)) return ".Gamma must be a number above 0";
      key.Given |= ChannelKey::kGamma;
    } else {
      return ": unknown property \"" + name.toStdString() + "\" (Visible, Color, Range or Gamma)";
    }
  }
  return "";
}

QJsonObject ChannelJson(const ChannelKey& key) {
  QJsonObject o;
  if (key.Given & ChannelKey::kVisible) o["Visible"] = key.Visible;
  if (key.Given & ChannelKey::kColor) o["Color"] = QJsonArray{key.Color[0], key.Color[1], key.Color[2]};
  if (key.Given & ChannelKey::kRange) o["Range"] = QJsonArray{key.Min, key.Max};
  if (key.Given & ChannelKey::kGamma) o["Gamma"] = key.Gamma;
  return o;
}

}  // namespace

std::optional<KeyframeTrack> ParseKeyframes(const std::string& json, std::string& error) {
  QJsonParseError parse{};
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parse);
  if (parse.error != QJsonParseError::NoError) {
    error = "The keyframe file is not valid JSON: " + parse.errorString().toStdString() + " at character " +
            std::to_string(parse.offset);
    return std::nullopt;
  }
  if (!doc.isObject()) {
    error = "The keyframe file must hold one JSON object";
    return std::nullopt;
  }
  const QJsonObject root = doc.object();
  KeyframeTrack track;
  for (auto it = root.begin(); it != root.end(); ++it) {
    const std::string key = it.key().toStdString();
    if (key == "fps") {
      const double fps = it->toDouble(-1);
      if (!it->isDouble() || !(fps >= 1 && fps <= kMaxFps)) {
        error = "fps must be a number from 1 to 120";
        return std::nullopt;
      }
      track.Fps = fps;
    } else if (key == "size") {
      const QJsonArray a = it->toArray();
      constexpr double kHuge = 1e9;  // beyond it the number is only said to be too large
      int w = 0, h = 0;
      if (a.size() != 2 || !Whole(a[0], -kHuge, kHuge, w) || !Whole(a[1], -kHuge, kHuge, h)) {
        error = "size must be [width, height], whole numbers from " + std::to_string(kMinSide) + " to " +
                std::to_string(kMaxDrawingSide);
        return std::nullopt;
      }
      const std::string shown = "size [" + std::to_string(w) + ", " + std::to_string(h) + "]";
      error = DrawingSizeProblem(shown, w, h, 0, kMinSide);
      if (!error.empty()) return std::nullopt;
      track.Width = w, track.Height = h;
    } else if (key != "keyframes") {
      error = "Unknown name \"" + key + "\" in the keyframe file";
      return std::nullopt;
    }
  }
  const QJsonArray keys = root.value("keyframes").toArray();
  if (keys.isEmpty()) {
    error = "The keyframe file has no keyframes (\"keyframes\": [...])";
    return std::nullopt;
  }
  Keyframe previous;
  previous.Frame = -1;
  track.TransparencyGiven = false;
  for (qsizetype n = 0; n < keys.size(); ++n) {
    const std::string where = "Keyframe " + std::to_string(n + 1);
    if (!keys[n].isObject()) {
      error = where + ": not a JSON object";
      return std::nullopt;
    }
    const QJsonObject k = keys[n].toObject();
    Keyframe key = previous;  // what a keyframe leaves out stays as it was
    key.Easing = Ease::Linear;
    key.FullTurn = false;
    if (!Whole(k.value("frame"), 0, kMaxKeyFrame, key.Frame)) {
      error = where + ": frame must be a whole number from 0 to " + std::to_string(kMaxKeyFrame);
      return std::nullopt;
    }
    if (key.Frame <= previous.Frame) {
      error = where + ": frame " + std::to_string(key.Frame) + " must come after frame " +
              std::to_string(previous.Frame);
      return std::nullopt;
    }
    const std::string at = where + " (frame " + std::to_string(key.Frame) + "), ";
    std::optional<bool> maxProjection;
    for (auto it = k.begin(); it != k.end(); ++it) {
      const std::string name = it.key().toStdString();
      if (name == "frame") continue;
      if (name == "Palette") {
        if (!it->isString()) {
          error = at + "Palette must be a palette name";
          return std::nullopt;
        }
        // "" leaves the palette as it is: the one the keyframe before shows.
        if (!it->toString().isEmpty()) key.Palette = it->toString().toStdString();
      } else if (name == "Ease") {
        const QString e = it->toString();
        if (e != "linear" && e != "inout") {
          error = at + "Ease must be \"linear\" or \"inout\"";
          return std::nullopt;
        }
        key.Easing = e == "inout" ? Ease::InOut : Ease::Linear;
      } else if (name == "FullTurn") {
        if (!it->isBool()) {
          error = at + "FullTurn must be true or false";
          return std::nullopt;
        }
        key.FullTurn = it->toBool();
      } else if (name == "TimePoint") {
        if (!Whole(*it, 1, kMaxKeyFrame, key.TimePoint)) {
          error = at + "TimePoint must be a whole number from 1";
          return std::nullopt;
        }
      } else if (const int c = ChannelIndex(name); c >= 0) {
        if (key.Channels.size() <= static_cast<size_t>(c)) key.Channels.resize(c + 1);
        if (const std::string wrong = ReadChannel(*it, key.Channels[c]); !wrong.empty()) {
          error = at + name + wrong;
          return std::nullopt;
        }
      } else if (name == "MaxProjection") {  // the render mode of older files
        if (!it->isBool()) {
          error = at + "MaxProjection must be true or false";
          return std::nullopt;
        }
        maxProjection = it->toBool();
      } else if (const KeyProperty* p = FindKeyProperty(name)) {
        track.TransparencyGiven |= name == "Transparency";
        if (const std::string wrong = ReadProperty(*p, *it, key.View); !wrong.empty()) {
          error = at + name + wrong;
          return std::nullopt;
        }
      } else {
        error = at + "unknown property \"" + name + "\"" +
                (name.rfind("Channel", 0) == 0 ? " (channels are Channel1 to Channel8)" : "");
        return std::nullopt;
      }
    }
    while (!key.Channels.empty() && !key.Channels.back().Given) key.Channels.pop_back();  // "Channel3": {}
    // "RenderMode" wins over "MaxProjection" in the same keyframe; a plane given is meant to cut
    // unless the keyframe says otherwise.
    if (maxProjection && !k.contains("RenderMode"))
      key.View.Mode = *maxProjection ? RenderMode::Maximum : RenderMode::Additive;
    if (k.contains("ClipPlane") && !k.contains("ClipOn")) key.View.Clip.On = true;
    if (n > 0 && NormalPassesZero(previous.View, key.View)) {
      error = at + "ClipPlane: the plane's normal turns through zero on the way from the keyframe before; "
                   "put a keyframe in between";
      return std::nullopt;
    }
    track.Keys.push_back(key);
    previous = key;
  }
  return track;
}

std::optional<KeyframeTrack> LoadKeyframes(const std::string& path, std::string& error) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    error = "Cannot read " + path + ": " + file.errorString().toStdString();
    return std::nullopt;
  }
  constexpr qint64 kMaxBytes = 16 << 20;
  if (file.size() > kMaxBytes) {
    error = path + " is too large for a keyframe file";
    return std::nullopt;
  }
  return ParseKeyframes(file.readAll().toStdString(), error);
}

std::string KeyframesJson(const KeyframeTrack& track) {
  QJsonArray keys;
  for (const Keyframe& key : track.Keys) {
    QJsonObject k;
    k["frame"] = key.Frame;
    for (const KeyProperty& p : KeyProperties()) {
      if (p.Text == KeyText::Flag) {
        k[p.Name] = p.Get(key.View, 0) != 0;
      } else if (p.Text == KeyText::Word) {
        k[p.Name] = p.Word(p.Get(key.View, 0));
      } else if (p.Components == 1) {
        k[p.Name] = static_cast<double>(p.Get(key.View, 0));
      } else {
        QJsonArray a;
        for (int i = 0; i < p.Components; ++i) a.append(static_cast<double>(p.Get(key.View, i)));
        k[p.Name] = a;
      }
    }
    for (size_t c = 0; c < key.Channels.size(); ++c)
      if (key.Channels[c].Given) k["Channel" + QString::number(c + 1)] = ChannelJson(key.Channels[c]);
    if (key.TimePoint > 0) k["TimePoint"] = key.TimePoint;
    if (!key.Palette.empty()) k["Palette"] = QString::fromStdString(key.Palette);
    if (key.Easing == Ease::InOut) k["Ease"] = "inout";
    if (key.FullTurn) k["FullTurn"] = true;
    keys.append(k);
  }
  QJsonObject root;
  root["fps"] = track.Fps;
  root["size"] = QJsonArray{track.Width, track.Height};
  root["keyframes"] = keys;
  return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

std::string SaveKeyframes(const std::string& path, const KeyframeTrack& track) {
  const std::string json = KeyframesJson(track);
  return WriteFileStaged(path, std::span(reinterpret_cast<const uint8_t*>(json.data()), json.size()));
}

}  // namespace lumetrix::animation
