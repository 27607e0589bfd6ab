#!/usr/bin/env python3
"""The driver tests' initramfs: the host's static busybox, the kernel modules of
guest_modules.txt with what they depend on (in loading order), and guest_init.sh as /init.

    make_initramfs.py KERNEL_ROOT RELEASE OUT.cpio.gz
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def wanted_modules():
    with open(os.path.join(HERE, "guest_modules.txt")) as listing:
        for line in listing:
            if line.strip() and not line.startswith("#"):
                yield line.split()[0]


def loading_order(module_dir):
    """The .ko paths to load, each after its dependencies."""
    depends = {}
    by_name = {}
    with open(os.path.join(module_dir, "modules.dep")) as table:
        for line in table:
            path, _, rest = line.partition(":")
            depends[path] = rest.split()
            name = os.path.basename(path).split(".ko")[0].replace("-", "_")
            by_name[name] = path
    order = []

    def add(path):
        if path in order:
            return
        # modules.dep lists a module's dependencies with the deepest last.
        for dependency in reversed(depends[path]):
            add(dependency)
        order.append(path)

    for name in wanted_modules():
        if name not in by_name:
            sys.exit(f"make_initramfs.py: the kernel has no module {name}")
        add(by_name[name])
    return order


def main():
    kernel_root, release, out = sys.argv[1:4]
    module_dir = os.path.join(kernel_root, "lib", "modules", release)
    with tempfile.TemporaryDirectory() as tree:
        for folder in ("bin", "dev", "proc", "sys", "lower", "upper", "newroot", "modules"):
            os.makedirs(os.path.join(tree, folder))
        shutil.copy("/bin/busybox", os.path.join(tree, "bin", "busybox"))
        shutil.copy(os.path.join(HERE, "guest_init.sh"), os.path.join(tree, "init"))
        os.chmod(os.path.join(tree, "init"), 0o755)
        names = []
        for path in loading_order(module_dir):
            name = os.path.basename(path)
            shutil.copy(os.path.join(module_dir, path), os.path.join(tree, "modules", name))
            names.append(name)
        with open(os.path.join(tree, "modules", "order"), "w") as order:
            order.write("\n".join(names) + "\n")
        files = subprocess.run(["find", "."], cwd=tree, capture_output=True, check=True).stdout
        archive = subprocess.run(["busybox", "cpio", "-o", "-H", "newc"], cwd=tree, input=files,
                                 capture_output=True, check=True).stdout
        subprocess.run(["gzip", "-1"], input=archive, stdout=open(out + ".partial", "wb"),
                       check=True)
        os.replace(out + ".partial", out)


if __name__ == "__main__":
    main()
