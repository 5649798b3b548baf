#include "standin/JournalFormat.h"

#include <stdexcept>

namespace quillon::standin {

using nlohmann::json;

namespace {

json plotJson(const PlotRecord& p) {
    return json{{"drawing", p.drawing},
                {"layout", p.layout},
                {"device", p.device},
                {"media", p.media},
                {"styleSheet", p.styleSheet},
                {"copies", p.copies},
                {"rotation", p.rotation},
                {"plotType", p.plotType},
                {"standardScale", p.standardScale},
                {"useStandardScale", p.useStandardScale},
                {"centerPlot", p.centerPlot},
                {"plotWithPlotStyles", p.plotWithPlotStyles},
                {"plotFile", p.plotFile ? json(*p.plotFile) : json(nullptr)},
                {"toDevice", p.toDevice},
                {"succeeded", p.succeeded},
                {"quietErrorMode", p.quietErrorMode},
                {"backgroundPlot", p.backgroundPlot},
                {"background", p.background},
                {"lost", p.lost}};
}

json closeJson(const CloseRecord& c) {
    return json{{"document", c.document},
                {"saveChanges", c.saveChanges ? json(*c.saveChanges) : json(nullptr)},
                {"modified", c.modified},
                {"readOnly", c.readOnly},
                {"wouldSave", c.wouldSave},
                {"wouldPrompt", c.wouldPrompt}};
}

json quitJson(const QuitRecord& q) { return json{{"modified", q.modified}, {"wouldPrompt", q.wouldPrompt}}; }

const json& field(const json& object, const char* key) {
    if (!object.is_object() || !object.contains(key)) throw std::runtime_error(std::string("journal line lacks \"") + key + "\"");
    return object.at(key);
}

template <class T>
T fieldAs(const json& object, const char* key) {
    try {
        return field(object, key).get<T>();
    } catch (const json::type_error&) {
        throw std::runtime_error(std::string("journal field \"") + key + "\" has the wrong type");
    }
}

PlotRecord plotFrom(const json& j) {
    PlotRecord p;
    p.drawing = fieldAs<std::string>(j, "drawing");
    p.layout = fieldAs<std::string>(j, "layout");
    p.device = fieldAs<std::string>(j, "device");
    p.media = fieldAs<std::string>(j, "media");
    p.styleSheet = fieldAs<std::string>(j, "styleSheet");
    p.copies = fieldAs<int>(j, "copies");
    p.rotation = fieldAs<int>(j, "rotation");
    p.plotType = fieldAs<int>(j, "plotType");
    p.standardScale = fieldAs<int>(j, "standardScale");
    p.useStandardScale = fieldAs<bool>(j, "useStandardScale");
    p.centerPlot = fieldAs<bool>(j, "centerPlot");
    p.plotWithPlotStyles = fieldAs<bool>(j, "plotWithPlotStyles");
    if (!field(j, "plotFile").is_null()) p.plotFile = fieldAs<std::string>(j, "plotFile");
    p.toDevice = fieldAs<bool>(j, "toDevice");
    p.succeeded = fieldAs<bool>(j, "succeeded");
    p.quietErrorMode = fieldAs<bool>(j, "quietErrorMode");
    p.backgroundPlot = fieldAs<int>(j, "backgroundPlot");
    p.background = fieldAs<bool>(j, "background");
    p.lost = fieldAs<bool>(j, "lost");
    return p;
}

CloseRecord closeFrom(const json& j) {
    CloseRecord c;
    c.document = fieldAs<std::string>(j, "document");
    if (!field(j, "saveChanges").is_null()) c.saveChanges = fieldAs<bool>(j, "saveChanges");
    c.modified = fieldAs<bool>(j, "modified");
    c.readOnly = fieldAs<bool>(j, "readOnly");
    c.wouldSave = fieldAs<bool>(j, "wouldSave");
    c.wouldPrompt = fieldAs<bool>(j, "wouldPrompt");
    return c;
}

QuitRecord quitFrom(const json& j) {
    QuitRecord q;
    q.modified = fieldAs<std::vector<std::string>>(j, "modified");
    q.wouldPrompt = fieldAs<bool>(j, "wouldPrompt");
    return q;
}

}  // namespace

json JournalFormat::toJson(const JournalEntry& entry) {
    json line{{"seq", entry.seq}};
    switch (entry.type) {
        case JournalEntryType::Start: line["start"] = json::object(); break;
        case JournalEntryType::Plot: line["plot"] = plotJson(entry.plot); break;
        case JournalEntryType::Close: line["close"] = closeJson(entry.close); break;
        case JournalEntryType::Quit: line["quit"] = quitJson(entry.quit); break;
        case JournalEntryType::Question:
            line["question"] = json{{"drawing", entry.question.drawing}, {"variable", entry.question.variable}};
            break;
        case JournalEntryType::Access: {
            const AccessRecord& a = entry.access;
            line["object"] = a.object;
            line["member"] = a.member;
            line["kind"] = a.kind;
            line["args"] = a.args;
            line["argKinds"] = a.argKinds;
            line["executed"] = a.executed;
            if (a.failed()) line["error"] = json{{"code", a.errorCode}, {"description", a.errorDescription}};
            else line["result"] = a.result;
            break;
        }
    }
    return line;
}

JournalEntry JournalFormat::fromJson(const json& line) {
    JournalEntry entry;
    entry.seq = fieldAs<std::int64_t>(line, "seq");
    if (line.contains("start")) {
        entry.type = JournalEntryType::Start;
    } else if (line.contains("plot")) {
        entry.type = JournalEntryType::Plot;
        entry.plot = plotFrom(line.at("plot"));
    } else if (line.contains("close")) {
        entry.type = JournalEntryType::Close;
        entry.close = closeFrom(line.at("close"));
    } else if (line.contains("quit")) {
        entry.type = JournalEntryType::Quit;
        entry.quit = quitFrom(line.at("quit"));
    } else if (line.contains("question")) {
        entry.type = JournalEntryType::Question;
        entry.question.drawing = fieldAs<std::string>(line.at("question"), "drawing");
        entry.question.variable = fieldAs<std::string>(line.at("question"), "variable");
    } else {
        entry.type = JournalEntryType::Access;
        AccessRecord& a = entry.access;
        a.object = fieldAs<std::string>(line, "object");
        a.member = fieldAs<std::string>(line, "member");
        a.kind = fieldAs<std::string>(line, "kind");
        a.args = field(line, "args");
        a.argKinds = fieldAs<std::vector<std::string>>(line, "argKinds");
        a.executed = fieldAs<bool>(line, "executed");
        if (line.contains("error")) {
            a.errorCode = fieldAs<std::string>(line.at("error"), "code");
            a.errorDescription = fieldAs<std::string>(line.at("error"), "description");
        } else {
            a.result = field(line, "result");
        }
    }
    return entry;
}

}  // namespace quillon::standin
