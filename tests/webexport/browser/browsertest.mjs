// What every browser test shares: its checks, counted and printed as they come, and a run of its
// body in one Chromium with a working folder that is removed afterwards. The process exits 0 only
// when every check passed and the body finished.
import { rmSync } from 'node:fs';
import { join } from 'node:path';

import { Browser } from './devtools.mjs';

const failures = [];

export function check(ok, what) {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
    if (!ok) failures.push(what);
}

export async function runInBrowser(chromiumPath, work, body) {
    const browser = new Browser(chromiumPath, join(work, 'profile'));
    try {
        await browser.send('Target.setDiscoverTargets', { discover: false });
        await body(browser);
    } catch (e) {
        check(false, e.message);
    } finally {
        await browser.close();
        rmSync(work, { recursive: true, force: true, maxRetries: 5 });
    }
    process.exit(failures.length === 0 ? 0 : 1);
}
