#include "runner.h"

#include "platform/nt_rules.h"

namespace quorel::conformance {

namespace {

constexpr std::uint16_t kStoredFlags = sd_control::kDaclProtected | sd_control::kDaclAutoInherited;

class Run {
  public:
    Run(Backend& backend, const std::string& name, Tally& tally)
        : backend_(backend), name_(name), tally_(tally) {}

    void step(const Step& step);
    void fail(std::size_t line, const std::string& text) {
        ++tally_.failed;
        const std::string where = line == 0 ? name_ : name_ + ":" + std::to_string(line);
        tally_.failures.push_back(backend_.name() + ": " + where + ": " + text);
    }

  private:
    std::string full(const std::string& path) const {
        return path.empty() ? name_ : name_ + "\\" + path;
    }
    bool read(const Step& step, const std::string& path, ItemSecurity& out) {
        const std::string error = backend_.read(full(path), out);
        if (!error.empty()) {
            fail(step.line, "cannot read " + full(path) + ": " + error);
        }
        return error.empty();
    }
    // The SDDL of the step with $OWNER and $GROUP of the item.
    bool sddl(const Step& step, const ItemSecurity& item, SddlDacl& out) {
        const SddlParse parsed =
            parseDaclSddl(step.sddl, {{"$OWNER", item.owner}, {"$GROUP", item.group}});
        if (!parsed.ok()) {
            fail(step.line, "bad SDDL " + parsed.errorText());
            return false;
        }
        out = *parsed.dacl;
        out.control &= kStoredFlags;
        return true;
    }
    void create(const Step& step, bool folder);
    void write(const Step& step, bool autoInheritReq);
    void expect(const Step& step);

    Backend& backend_;
    const std::string& name_;
    Tally& tally_;
};

void Run::step(const Step& step) {
    switch (step.kind) {
        case StepKind::Dir:
            create(step, true);
            break;
        case StepKind::File:
            create(step, false);
            break;
        case StepKind::Set:
            write(step, false);
            break;
        case StepKind::SetReq:
            write(step, true);
            break;
        case StepKind::Expect:
            expect(step);
            break;
        case StepKind::ExpectWindows:
            if (backend_.followsWindows()) {
                expect(step);
            }
            break;
        case StepKind::ExpectSamba:
            if (!backend_.followsWindows()) {
                expect(step);
            }
            break;
    }
}

void Run::create(const Step& step, bool folder) {
    ItemSecurity parent;
    ItemSecurity item;
    if (!read(step, parentPath(step.path), parent)) {
        return;
    }
    const std::string error = backend_.create(full(step.path), folder);
    if (!error.empty()) {
        fail(step.line, "cannot create " + step.path + ": " + error);
        return;
    }
    if (!read(step, step.path, item)) {
        return;
    }
    const bool autoInherited = (parent.dacl.control & sd_control::kDaclAutoInherited) != 0;
    const SddlDacl rules{
        static_cast<std::uint16_t>(autoInherited ? sd_control::kDaclAutoInherited : 0),
        nt::inheritedAces(parent.dacl.aces, autoInherited, folder, item.owner, item.group)};
    // "ACE Inheritance Rules": a parent that passes nothing on leaves the
    // new item the creator's default DACL, which the rules do not give.
    if (rules.aces.empty()) {
        return;
    }
    SddlDacl got = item.dacl;
    got.control &= kStoredFlags;
    if (got == rules) {
        ++tally_.passed;
    } else {
        fail(step.line, std::string(folder ? "dir " : "file ") + step.path + ": created with " +
                            formatDaclSddl(got) + ", the inheritance rules give " +
                            formatDaclSddl(rules));
    }
}

void Run::write(const Step& step, bool autoInheritReq) {
    ItemSecurity item;
    SddlDacl dacl;
    if (!read(step, step.path, item) || !sddl(step, item, dacl)) {
        return;
    }
    const auto control = static_cast<std::uint16_t>(
        dacl.control | (autoInheritReq ? sd_control::kDaclAutoInheritReq : 0));
    const std::string error = backend_.write(full(step.path), dacl.aces, control);
    if (!error.empty()) {
        fail(step.line, "cannot write " + step.path + ": " + error);
    }
}

void Run::expect(const Step& step) {
    ItemSecurity item;
    SddlDacl expected;
    if (!read(step, step.path, item) || !sddl(step, item, expected)) {
        return;
    }
    SddlDacl got = item.dacl;
    got.control &= kStoredFlags;
    if (got == expected) {
        ++tally_.passed;
    } else {
        fail(step.line, "expect " + step.path + ": got " + formatDaclSddl(got) + ", expected " +
                            formatDaclSddl(expected));
    }
}

}  // namespace

void runScenario(Backend& backend, const std::string& name, const ScenarioFile& scenario,
                 Tally& tally) {
    Run run(backend, name, tally);
    for (const std::string& error : scenario.errors) {
        run.fail(0, error);
    }
    if (!scenario.errors.empty()) {
        return;
    }
    const std::string error = backend.create(name, true);
    if (!error.empty()) {
        run.fail(0, "cannot create the top folder: " + error);
        return;
    }
    for (const Step& step : scenario.steps) {
        run.step(step);
    }
}

}  // namespace quorel::conformance
