#include "editing/trustee.h"

#include "core/ace_record.h"

namespace quorel {

Trustee Trustee::ofAccount(const AccountNames& names, std::uint32_t account) {
    Trustee t;
    t.name = names.name(account);
    t.domain = names.domain(account);
    if (const Sid* sid = names.sid(account)) {
        t.sid = *sid;
    }
    return t;
}

Trustee Trustee::ofRecord(const AccountNames& names, const AceRecord& record) {
    return ofAccount(names, record.account());
}

Trustee Trustee::ofSid(const Sid& sid, std::wstring name) {
    Trustee t;
    t.name = name.empty() ? sid.toString() : std::move(name);
    t.sid = sid;
    return t;
}

std::wstring Trustee::qualifiedName() const {
    return domain.empty() ? name : domain + L"\\" + name;
}

}  // namespace quorel
